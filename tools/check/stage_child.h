// One stage process as the checker sees it: started with its private channel (its lines, its
// closing record and its tally on a pipe; the call under way in shared memory) and with its
// standard output and error captured apart, as what the plug-in wrote.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/check/options.h"
#include "tools/check/stage_channel.h"
#include "tools/check/stages.h"

struct StageChild {
  StageChild() { InitializeCriticalSection(&lock); }
  ~StageChild(); // closes what is left: the process, the shared record
  StageChild(const StageChild &) = delete;
  StageChild &operator=(const StageChild &) = delete;

  PROCESS_INFORMATION process = {};
  HANDLE mapping = nullptr, channelRead = nullptr, outputRead = nullptr;
  HANDLE channelThread = nullptr, outputThread = nullptr;
  const CallRecord *record = nullptr; // the call under way, the stage's progress
  CRITICAL_SECTION lock;              // over what the reading threads fill in below
  std::vector<std::string> lines;
  size_t shown = 0;    // lines already in the report
  std::string closing; // the first closing record, empty while none came
  PartTally tally = {0, 0, 0};
  bool tallied = false;
  long outputLines = 0; // what the plug-in wrote: how many lines, the first few of them
  std::vector<std::string> outputFirst;
};

// Starts part `part` of `parts` of the stage; false with the reason when it cannot be started.
// A started child is ended with FinishChild.
bool StartChild(StageChild &child, const Options &options, const Stage &stage, int part, int parts,
                std::string *error);

// The stage's lines that came since the last time asked.
std::vector<std::string> NewLines(StageChild &child);

// After its process ended: waits for the last of what it sent and wrote, and closes the pipes.
void FinishChild(StageChild &child);
