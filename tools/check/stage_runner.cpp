#include "tools/check/stage_runner.h"

#include <windows.h>

#include "tools/check/stage_output.h"

namespace {

struct StageReader {
  HANDLE pipe;
  Report *report;
  std::string lastCall; // from the stage's most recent marker
};

// Passes each complete line on as it arrives; markers are kept, not shown.
DWORD WINAPI ReadStage(LPVOID parameter) {
  auto reader = static_cast<StageReader *>(parameter);
  std::string pending;
  char buffer[4096];
  DWORD n;
  auto emit = [reader](std::string line) {
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

int RunStage(Report &report, const Options &options, const char *stage, int timeLimitSeconds) {
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
  StageReader reader = {readEnd, &report, ""};
  HANDLE thread = CreateThread(nullptr, 0, ReadStage, &reader, 0, nullptr);
  DWORD exitCode = StageEnded;
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeLimitSeconds) * 1000) ==
      WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, StageEnded);
    WaitForSingleObject(process.hProcess, INFINITE);
    WaitForSingleObject(thread, INFINITE);
    ReportLine(report, Format("FAIL %s: hangs: no end within %d s, in %s; the stage was ended",
                              stage, timeLimitSeconds,
                              reader.lastCall.empty() ? "no call of the plug-in"
                                                      : reader.lastCall.c_str()));
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
