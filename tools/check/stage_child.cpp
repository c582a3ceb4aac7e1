#include "tools/check/stage_child.h"

#include <cstdio>
#include <cstring>

#include "tools/check/stage_output.h"

namespace {

const size_t OutputExamples = 3; // lines of the plug-in's output quoted in the report

// Reads the pipe to its end, handing each line (without its line end) to `take`.
template <class Take> void ReadLines(HANDLE pipe, Take take) {
  std::string pending;
  char buffer[4096];
  DWORD n;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    pending.append(buffer, n);
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      take(line);
    }
  }
  if (!pending.empty())
    take(pending);
}

DWORD WINAPI ReadChannel(LPVOID parameter) {
  auto child = static_cast<StageChild *>(parameter);
  ReadLines(child->channelRead, [child](const std::string &line) {
    EnterCriticalSection(&child->lock);
    PartTally t;
    if (line.rfind(TALLY, 0) == 0 && std::sscanf(line.c_str() + std::strlen(TALLY), "%ld %ld %ld",
                                                 &t.checked, &t.wrong, &t.nonzero) == 3) {
      child->tally = {child->tally.checked + t.checked, child->tally.wrong + t.wrong,
                      child->tally.nonzero + t.nonzero};
      child->tallied = true;
    } else if (line.rfind("= ", 0) == 0) {
      if (child->closing.empty())
        child->closing = line;
    } else if (!line.empty()) {
      child->lines.push_back(line);
    }
    LeaveCriticalSection(&child->lock);
  });
  return 0;
}

DWORD WINAPI ReadOutput(LPVOID parameter) {
  auto child = static_cast<StageChild *>(parameter);
  ReadLines(child->outputRead, [child](const std::string &line) {
    EnterCriticalSection(&child->lock);
    ++child->outputLines;
    if (child->outputFirst.size() < OutputExamples)
      child->outputFirst.push_back(line);
    LeaveCriticalSection(&child->lock);
  });
  return 0;
}

// A pipe whose write end the child inherits; the read end stays here.
bool MakePipe(HANDLE *readEnd, HANDLE *writeEnd) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (!CreatePipe(readEnd, writeEnd, &inherit, 0))
    return false;
  SetHandleInformation(*readEnd, HANDLE_FLAG_INHERIT, 0);
  return true;
}

std::string HandleValue(HANDLE handle) {
  return std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(handle)));
}

} // namespace

bool StartChild(StageChild &child, const Options &options, const Stage &stage, int part, int parts,
                std::string *error) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  child.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &inherit, PAGE_READWRITE, 0,
                                     sizeof(CallRecord), nullptr);
  child.record = child.mapping ? static_cast<const CallRecord *>(MapViewOfFile(
                                     child.mapping, FILE_MAP_READ, 0, 0, sizeof(CallRecord)))
                               : nullptr;
  HANDLE channelWrite = nullptr, outputWrite = nullptr;
  bool made = child.record && MakePipe(&child.channelRead, &channelWrite) &&
              MakePipe(&child.outputRead, &outputWrite);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string commandLine =
      std::string("\"") + self + "\"" +
      StageArguments(options, stage.name,
                     HandleValue(channelWrite) + "," + HandleValue(child.mapping), part, parts);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outputWrite;
  startup.hStdError = outputWrite;
  // Started one at a time from one thread: each child inherits only the handles made for it,
  // since those of the one before are closed or no longer inheritable by then.
  bool started = made && CreateProcessA(self, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &child.process);
  DWORD reason = GetLastError();
  if (channelWrite)
    CloseHandle(channelWrite);
  if (outputWrite)
    CloseHandle(outputWrite);
  if (child.mapping)
    SetHandleInformation(child.mapping, HANDLE_FLAG_INHERIT, 0);
  if (!started) {
    *error = Format("the stage could not be started (error %lu)", reason);
    return false;
  }
  child.channelThread = CreateThread(nullptr, 0, ReadChannel, &child, 0, nullptr);
  child.outputThread = CreateThread(nullptr, 0, ReadOutput, &child, 0, nullptr);
  return true;
}

std::vector<std::string> NewLines(StageChild &child) {
  EnterCriticalSection(&child.lock);
  std::vector<std::string> lines(child.lines.begin() + child.shown, child.lines.end());
  child.shown = child.lines.size();
  LeaveCriticalSection(&child.lock);
  return lines;
}

void FinishChild(StageChild &child) {
  for (HANDLE *thread : {&child.channelThread, &child.outputThread})
    if (*thread) {
      WaitForSingleObject(*thread, INFINITE);
      CloseHandle(*thread);
      *thread = nullptr;
    }
  for (HANDLE *pipe : {&child.channelRead, &child.outputRead})
    if (*pipe) {
      CloseHandle(*pipe);
      *pipe = nullptr;
    }
}

StageChild::~StageChild() {
  FinishChild(*this);
  for (HANDLE handle : {process.hThread, process.hProcess, mapping})
    if (handle)
      CloseHandle(handle);
  if (record)
    UnmapViewOfFile(record);
  DeleteCriticalSection(&lock);
}
