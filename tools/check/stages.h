// The stages of a check, each run in a child process of its own (or with --full, the design's
// tickets in four per processor). Each reports its lines through stage_output.h; the plug-in is
// already loaded (the load stage reports a file that cannot be).
#pragma once

#include <string>

#include "tools/check/options.h"
#include "tools/check/plugin_calls.h"

// What a stage needs to know about the plug-in besides its exports: its size as GetPlgInfo
// reports it, and whether it is the design this checker knows (code 4, 216 x 97, module name
// TKT_A1.QPL in its export directory), so that the design's own checks apply.
struct StageContext {
  const Options *options;
  LoadedPlugin plugin;
  int width, height;
  bool knownDesign;
};

// Exports, module name and calling convention (the plug-in is loaded by the stage runner).
void CheckLoading(const StageContext &context);
// The information record, the description and the list entries.
void CheckSetUp(const StageContext &context);
// What any plug-in's drawing must do: sentinels, determinism, ignored arguments, device context
// settings, formats, metafile, host scaling.
void CheckDrawing(const StageContext &context);
// Every ticket of the quick set (or with --full, every low half) against the design.
void CheckDesignTickets(const StageContext &context);
// Objects and heap left behind after many calls, and the time per ticket.
void CheckSoak(const StageContext &context);
// The test page on a printer.
void CheckPrinting(const StageContext &context);

// What the parts of a stage split across processes count, each sent as a tally and summed.
struct PartTally {
  long checked, wrong, nonzero;
};
void SendTally(const PartTally &tally);
// The design's tickets' verdict over all parts: the line after "ok " or "FAIL ", and whether it
// passed.
std::string DesignTicketsVerdict(const Options &options, const PartTally &sum, bool *passed);

// The stages in the order they run.
struct Stage {
  const char *name; // on the command line and in the report
  const char *what; // in the operator's progress lines
  void (*check)(const StageContext &);
  int callSeconds; // how long one call may take before the stage is taken to hang, unless
                   // --time-limit says otherwise
  bool withFull;   // split across the processors with --full
  bool printOnly;  // runs with --print only
  std::string (*verdict)(const Options &, const PartTally &, bool *); // over its parts, or null
};
extern const Stage Stages[];
extern const int StageCount;

// Runs the stage named on the command line; gives the process's exit code.
int RunStageProcess(const Options &options);
