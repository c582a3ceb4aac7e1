#include "tools/check/stage_output.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "common/module_of_address.h"
#include "common/utf8.h"

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
  std::wstring name;
  uintptr_t offset;
  if (!ModuleOfAddress(address, &name, &offset))
    return Format("%p (in no module)", address);
  return Format("%s+0x%lx", Utf8(name).c_str(), static_cast<unsigned long>(offset));
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
