// tkt-check: proves a ticket plug-in on the machine it is to run on. Each stage of the check runs
// in a child process of its own, so that a plug-in that crashes or hangs is reported instead of
// ending the check; the report goes to the console and to a log file an operator can send on.
#include <windows.h>

#include <cstdio>

#include "tools/check/machine.h"
#include "tools/check/options.h"
#include "tools/check/stage_output.h"
#include "tools/check/stage_runner.h"
#include "tools/check/stages.h"

namespace {

std::string DefaultPlugin() {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path(self, length);
  size_t slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + "TKT_A1.QPL";
}

std::string FullPath(const std::string &path) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

// Started by a double-click, the checker owns its console, which closes when it ends: the
// operator gets to read the report first.
void WaitIfOwnConsole() {
  DWORD processes[2];
  DWORD mode;
  if (GetConsoleProcessList(processes, 2) == 1 &&
      GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) {
    std::printf("Press Enter to close this window.");
    std::fflush(stdout);
    char line[16];
    DWORD read;
    ReadFile(GetStdHandle(STD_INPUT_HANDLE), line, sizeof line, &read, nullptr);
  }
}

int Check(const Options &options) {
  Report report;
  bool logged = OpenLog(report, options.log, options.plugin);
  ReportMachine(report);
  ReportLine(report, "   plug-in: " + options.plugin);
  const DWORD began = GetTickCount();
  PluginOutput output;
  int exitCode = 0;
  for (int i = 0; i < StageCount; ++i) {
    if (Stages[i].printOnly && !options.print)
      continue;
    if (!RunStage(report, options, Stages[i], output)) {
      exitCode = 3;
      break;
    }
  }
  ReportPluginOutput(report, output);
  if (exitCode == 0)
    exitCode = report.failed ? 1 : 0;
  ReportLine(report, Format("   the check took %.1f s", (GetTickCount() - began) / 1000.0));
  ReportLine(report, Format("   %d checks passed, %d failed, %d warnings: %s", report.passed,
                            report.failed, report.warnings,
                            exitCode == 3   ? "the file cannot be loaded as a plug-in"
                            : report.failed ? "the plug-in FAILED"
                                            : "the plug-in passed every check"));
  ReportLine(report, logged ? "   report written to " + report.logPath
                            : "   no log file could be written here");
  CloseLog(report);
  return exitCode;
}

} // namespace

int main(int argc, char **argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, &error)) {
    std::fprintf(stderr, "tkt-check: %s\n%s", error.c_str(), Usage);
    return 2;
  }
  if (options.plugin.empty())
    options.plugin = DefaultPlugin();
  options.plugin = FullPath(options.plugin);
  if (!options.stage.empty())
    return RunStageProcess(options);
  int exitCode = Check(options);
  WaitIfOwnConsole();
  return exitCode;
}
