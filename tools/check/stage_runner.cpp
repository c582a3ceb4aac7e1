#include "tools/check/stage_runner.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "tools/check/stage_child.h"
#include "tools/check/stage_output.h"

namespace {

// How long a stage process may take to start and begin its first call: an emulated 32-bit Wine
// takes about a minute.
const DWORD StartSeconds = 300;
const DWORD ProgressSeconds = 10; // between the operator's progress lines
// Parts of a stage shared out: four for each processor this process may run on, at most 16. A
// drawing call often waits on the system (under Wine, on its server, measured: a full check's
// tickets took 3 min 13 s in two processes on two cores, 1 min 53 s in four, 1 min 34 s in
// eight), and another process draws meanwhile.
const int PartsPerProcessor = 4, MostParts = 16;

int PartsForFull() {
  DWORD_PTR mine = 0, system = 0;
  int processors = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &mine, &system))
    for (; mine; mine &= mine - 1)
      ++processors;
  int parts = (processors < 1 ? 1 : processors) * PartsPerProcessor;
  return parts > MostParts ? MostParts : parts;
}

std::string ExitCode(DWORD code) {
  return code < 0x10000 ? Format("%lu", code) : Format("0x%08lX", code);
}

// The last call the stage began, as the report names it.
std::string LastCall(const CallRecord &record) {
  if (record.begun == 0)
    return "before any call of the plug-in";
  std::string call(record.call, strnlen(record.call, sizeof record.call));
  if (record.ticket != NoTicket)
    call += Format(" (ticket %lld)", static_cast<long long>(record.ticket));
  return (record.begun != record.ended ? "in " : "after ") + call;
}

// The line for a stage process that ended without saying it ran to its end; empty when it did
// (or when it reported its own end already, as with an exception).
std::string Ending(const char *stage, StageChild &child, bool hung, int limitSeconds) {
  const CallRecord &record = *child.record;
  if (hung)
    return Format("FAIL %s: hangs: no answer within %d s, %s; the stage was ended", stage,
                  limitSeconds, LastCall(record).c_str());
  if (child.closing == END_DONE || child.closing == END_EXCEPTION ||
      child.closing == END_CANNOT_LOAD)
    return "";
  bool thread = child.closing.rfind(END_THREAD, 0) == 0;
  DWORD code = 0;
  if (thread)
    code = std::strtoul(child.closing.c_str() + sizeof END_THREAD - 1, nullptr, 10);
  else
    GetExitCodeProcess(child.process.hProcess, &code);
  bool inCall = record.begun != record.ended;
  return Format("FAIL %s: %s %s with exit code %s %s; the stage did not run to its end", stage,
                inCall ? "the plug-in ended the" : "something ended the",
                thread ? "thread the checks ran on" : "stage's process", ExitCode(code).c_str(),
                LastCall(record).c_str());
}

std::string Duration(DWORD ms) {
  DWORD seconds = (ms + 500) / 1000;
  return seconds < 60 ? Format("%.1f s", ms / 1000.0)
                      : Format("%lu min %02lu s", seconds / 60, seconds % 60);
}

// Passes the children's lines on as they come until every child has ended, and ends each that
// hangs: one whose counts stop moving for the limit. Gives which of them hung.
std::vector<bool> Watch(Report &report, const Stage &stage,
                        const std::vector<std::unique_ptr<StageChild>> &children, int limitSeconds,
                        DWORD began) {
  std::vector<LONG> moves(children.size(), -1);
  std::vector<DWORD> lastMove(children.size(), GetTickCount());
  std::vector<bool> running(children.size(), true), hung(children.size(), false);
  DWORD lastProgress = GetTickCount();
  for (;;) {
    std::vector<HANDLE> waiting;
    for (size_t i = 0; i < children.size(); ++i)
      if (running[i])
        waiting.push_back(children[i]->process.hProcess);
    if (waiting.empty())
      return hung;
    WaitForMultipleObjects(static_cast<DWORD>(waiting.size()), waiting.data(), FALSE, 250);
    long done = 0, total = 0;
    for (size_t i = 0; i < children.size(); ++i) {
      StageChild &child = *children[i];
      for (const std::string &line : NewLines(child))
        ReportLine(report, line);
      done += child.record->done, total += child.record->total;
      if (!running[i] || WaitForSingleObject(child.process.hProcess, 0) == WAIT_OBJECT_0) {
        running[i] = false;
        continue;
      }
      LONG now = child.record->begun + child.record->ended + static_cast<LONG>(child.shown);
      DWORD tick = GetTickCount();
      if (now != moves[i])
        moves[i] = now, lastMove[i] = tick;
      DWORD limit = child.record->begun ? static_cast<DWORD>(limitSeconds) : StartSeconds;
      if (tick - lastMove[i] > limit * 1000) {
        TerminateProcess(child.process.hProcess, 1);
        WaitForSingleObject(child.process.hProcess, INFINITE);
        hung[i] = true, running[i] = false;
      }
    }
    if (total > 0 && GetTickCount() - lastProgress >= ProgressSeconds * 1000) {
      lastProgress = GetTickCount();
      ShowProgress(Format("   %s: %ld of %ld, %s so far", stage.what, done, total,
                          Duration(lastProgress - began).c_str()));
    }
  }
}

} // namespace

bool RunStage(Report &report, const Options &options, const Stage &stage, PluginOutput &output) {
  const int parts = stage.withFull && options.full ? PartsForFull() : 1;
  const int limitSeconds = options.timeLimitSeconds ? options.timeLimitSeconds : stage.callSeconds;
  const DWORD began = GetTickCount();
  std::vector<std::unique_ptr<StageChild>> children;
  for (int part = 0; part < parts; ++part) {
    auto child = std::make_unique<StageChild>();
    std::string error;
    if (StartChild(*child, options, stage, part, parts, &error))
      children.push_back(std::move(child));
    else
      ReportLine(report, Format("FAIL %s: ", stage.name) + error);
  }
  std::vector<bool> hung = Watch(report, stage, children, limitSeconds, began);
  bool cannotLoad = false;
  PartTally sum = {0, 0, 0};
  bool tallied = false;
  for (size_t i = 0; i < children.size(); ++i) {
    StageChild &child = *children[i];
    FinishChild(child);
    for (const std::string &line : NewLines(child))
      ReportLine(report, line);
    std::string ending =
        Ending(stage.name, child, hung[i],
               hung[i] && !child.record->begun ? static_cast<int>(StartSeconds) : limitSeconds);
    if (!ending.empty())
      ReportLine(report, ending);
    cannotLoad = cannotLoad || child.closing == END_CANNOT_LOAD;
    sum = {sum.checked + child.tally.checked, sum.wrong + child.tally.wrong,
           sum.nonzero + child.tally.nonzero};
    tallied = tallied || child.tallied;
    output.lines += child.outputLines;
    for (const std::string &line : child.outputFirst)
      if (output.first.size() < 3)
        output.first.push_back(line);
  }
  if (tallied && stage.verdict) {
    bool passed;
    std::string line = stage.verdict(options, sum, &passed);
    ReportLine(report, (passed ? "ok " : "FAIL ") + line);
    DWORD ms = GetTickCount() - began;
    ReportLine(report,
               Format("   %s: %ld drawn and compared in %s by %s, %.2f ms a ticket", stage.what,
                      sum.checked, Duration(ms).c_str(),
                      parts > 1 ? Format("%d processes at once", parts).c_str() : "one process",
                      sum.checked ? static_cast<double>(ms) * parts / sum.checked : 0.0));
  }
  return !cannotLoad;
}

void ReportPluginOutput(Report &report, const PluginOutput &output) {
  if (output.lines == 0)
    return;
  std::string examples;
  for (const std::string &line : output.first)
    examples += (examples.empty() ? "" : ", ") + Quoted(line);
  ReportLine(report, Format("warn the plug-in wrote %ld line%s to standard output or standard "
                            "error (a host has no console to show them), for example: ",
                            output.lines, output.lines == 1 ? "" : "s") +
                         examples);
}
