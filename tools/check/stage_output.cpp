#include "tools/check/stage_output.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace {

HANDLE channel = INVALID_HANDLE_VALUE;
// Until the channel is open, a record of the stage's own that nobody reads.
CallRecord unshared;
CallRecord *record = &unshared;

void WriteLine(const std::string &line) {
  std::string bytes = line + "\n";
  DWORD written;
  WriteFile(channel, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

const char *stageName = "";

// The call under way as the stage itself knows it, for the report of an exception.
struct {
  const char *exportName;
  int64_t ticket;
} current;

// "NAME+0x1234" for an address inside a loaded module, else the bare address.
std::string ModuleAndOffset(const void *address) {
  HMODULE module = nullptr;
  char path[MAX_PATH] = {};
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const char *>(address), &module) ||
      !GetModuleFileNameA(module, path, sizeof path))
    return Format("%p (in no module)", address);
  const char *name = path;
  for (const char *c = path; *c; ++c)
    if (*c == '\\' || *c == '/')
      name = c + 1;
  return Format("%s+0x%lx", name,
                static_cast<unsigned long>(static_cast<const char *>(address) -
                                           reinterpret_cast<const char *>(module)));
}

LONG WINAPI ReportException(EXCEPTION_POINTERS *pointers) {
  const EXCEPTION_RECORD *exception = pointers->ExceptionRecord;
  std::string where = current.exportName ? current.exportName : "the checker itself";
  if (current.exportName && current.ticket != NoTicket)
    where += Format(" (ticket %lld)", static_cast<long long>(current.ticket));
  Fail(Format("%s: exception 0x%08lX in %s at %s; the stage was ended there", stageName,
              exception->ExceptionCode, where.c_str(),
              ModuleAndOffset(exception->ExceptionAddress).c_str()));
  SendRecord(END_EXCEPTION);
  ExitProcess(4);
}

} // namespace

std::string Format(const char *format, ...) {
  char buffer[2048];
  va_list values;
  va_start(values, format);
  std::vsnprintf(buffer, sizeof buffer, format, values);
  va_end(values);
  return buffer;
}

void Ok(const std::string &line) {
  WriteLine("ok " + line);
}
void Fail(const std::string &line) {
  WriteLine("FAIL " + line);
}
void Warn(const std::string &line) {
  WriteLine("warn " + line);
}
void Info(const std::string &line) {
  WriteLine("   " + line);
}

bool Verdict(bool passed, const std::string &line) {
  passed ? Ok(line) : Fail(line);
  return passed;
}

bool OpenChannel(const std::string &value) {
  unsigned long pipe = 0, mapping = 0;
  if (std::sscanf(value.c_str(), "%lu,%lu", &pipe, &mapping) != 2)
    return false;
  HANDLE pipeHandle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(pipe));
  HANDLE mappingHandle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(mapping));
  if (GetFileType(pipeHandle) != FILE_TYPE_PIPE)
    return false;
  void *view = MapViewOfFile(mappingHandle, FILE_MAP_WRITE, 0, 0, sizeof(CallRecord));
  if (!view)
    return false;
  channel = pipeHandle;
  record = static_cast<CallRecord *>(view);
  // Kept from any process the plug-in starts, which would otherwise hold the pipe open.
  SetHandleInformation(pipeHandle, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(mappingHandle, HANDLE_FLAG_INHERIT, 0);
  return true;
}

void SendRecord(const std::string &line) {
  WriteLine(line);
}

void BeginCall(const char *exportName, int64_t ticket) {
  current = {exportName, ticket};
  record->ticket = ticket;
  lstrcpynA(record->call, exportName, sizeof record->call);
  InterlockedIncrement(&record->begun); // after the name, which the checker reads by the count
}

void EndCall() {
  InterlockedIncrement(&record->ended);
}

void SetProgress(long done, long total) {
  record->total = total;
  record->done = done;
}

void CatchPluginExceptions(const char *stage) {
  stageName = stage;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(ReportException);
}

std::string Utf8(const std::wstring &text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string utf8(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], n,
                        nullptr, nullptr);
  return utf8;
}

std::string Quoted(const std::string &utf8) {
  std::string text = "\"";
  for (unsigned char c : utf8) {
    if (c == '\r')
      text += "\\r";
    else if (c == '\n')
      text += "\\n";
    else if (c < 0x20 || c == '"' || c == '\\')
      text += Format("\\x%02x", c);
    else
      text += static_cast<char>(c);
  }
  return text + "\"";
}
