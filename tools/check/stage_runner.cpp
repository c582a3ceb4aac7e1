#include "tools/check/stage_runner.h"

#include <windows.h>

#include "tools/check/stage_output.h"

namespace {

// How long a stage process may take to start and say its first line: an emulated 32-bit Wine
// takes about a minute.
const DWORD StartSeconds = 300;

struct StageReader {
  HANDLE pipe;
  Report *report;
  std::string lastCall;        // from the stage's most recent marker
  volatile LONG lines;         // read so far
  volatile DWORD lastLineTick; // GetTickCount when the last one came
};

// Passes each complete line on as it arrives; markers are kept, not shown.
DWORD WINAPI ReadStage(LPVOID parameter) {
  auto reader = static_cast<StageReader *>(parameter);
  std::string pending;
  char buffer[4096];
  DWORD n;
  auto emit = [reader](std::string line) {
    reader->lastLineTick = GetTickCount();
    InterlockedIncrement(&reader->lines);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.rfind("@ ", 0) == 0)
      reader->lastCall = line.substr(2);
    else if (!line.empty())
      ReportLine(*reader->report, line);
  };
  while (ReadFile(reader->pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    pending.append(buffer, n);
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      emit(pending.substr(0, end));
      pending.erase(0, end + 1);
    }
  }
  emit(pending);
  return 0;
}

} // namespace

int RunStage(Report &report, const Options &options, const char *stage) {
  const int timeLimitSeconds = options.timeLimitSeconds;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string commandLine = std::string("\"") + self + "\"" + StageArguments(options, stage);

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    ReportLine(report, Format("FAIL %s: no pipe for the stage (error %lu)", stage, GetLastError()));
    return StageEnded;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(self, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    ReportLine(report, Format("FAIL %s: the stage could not be started (error %lu)", stage,
                              GetLastError()));
    CloseHandle(readEnd);
    return StageEnded;
  }
  StageReader reader = {readEnd, &report, "", 0, GetTickCount()};
  HANDLE thread = CreateThread(nullptr, 0, ReadStage, &reader, 0, nullptr);
  // The stage hangs when it stays silent longer than the limit: every call of the plug-in is
  // announced by a line, so a slow machine or a long --full run is not taken for a hang.
  bool hangs = false;
  while (WaitForSingleObject(process.hProcess, 250) == WAIT_TIMEOUT && !hangs) {
    DWORD limit = reader.lines ? static_cast<DWORD>(timeLimitSeconds) : StartSeconds;
    DWORD last = reader.lastLineTick; // read before the clock, so that it is never later
    hangs = GetTickCount() - last > limit * 1000;
  }
  DWORD exitCode = StageEnded;
  if (hangs) {
    TerminateProcess(process.hProcess, StageEnded);
    WaitForSingleObject(process.hProcess, INFINITE);
    WaitForSingleObject(thread, INFINITE);
    ReportLine(
        report,
        Format("FAIL %s: hangs: no answer within %d s, in %s; the stage was ended", stage,
               reader.lines ? timeLimitSeconds : static_cast<int>(StartSeconds),
               reader.lastCall.empty() ? "no call of the plug-in" : reader.lastCall.c_str()));
  } else {
    WaitForSingleObject(thread, INFINITE);
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (exitCode != StageDone && exitCode != StageCannotLoad && exitCode != StageException)
      ReportLine(
          report,
          Format("FAIL %s: the stage ended with code 0x%08lX, in %s", stage, exitCode,
                 reader.lastCall.empty() ? "no call of the plug-in" : reader.lastCall.c_str()));
  }
  CloseHandle(thread);
  CloseHandle(readEnd);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}
