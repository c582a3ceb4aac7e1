#include "tools/check/report.h"

namespace {

HANDLE CreateLog(const std::string &path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Write(HANDLE file, const std::string &bytes) {
  DWORD written;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A console shows UTF-16 whatever its code page; a pipe or a file gets the UTF-8 bytes.
void WriteToConsoleOrStream(const std::string &utf8) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode;
  if (!GetConsoleMode(out, &mode)) {
    Write(out, utf8);
    return;
  }
  int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  DWORD written;
  WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

} // namespace

bool OpenLog(Report &report, const std::string &named, const std::string &plugin) {
  std::string candidates[2];
  if (!named.empty()) {
    candidates[0] = named;
  } else {
    size_t slash = plugin.find_last_of("\\/");
    candidates[0] =
        (slash == std::string::npos ? "" : plugin.substr(0, slash + 1)) + "tkt-check.log";
    candidates[1] = "tkt-check.log";
  }
  for (const std::string &path : candidates) {
    if (path.empty())
      continue;
    report.log = CreateLog(path);
    if (report.log != INVALID_HANDLE_VALUE) {
      char full[MAX_PATH];
      DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
      report.logPath = length > 0 && length < sizeof full ? full : path;
      Write(report.log, "\xEF\xBB\xBF");
      return true;
    }
  }
  return false;
}

void ReportLine(Report &report, const std::string &line) {
  if (line.rfind("ok ", 0) == 0)
    ++report.passed;
  else if (line.rfind("FAIL ", 0) == 0)
    ++report.failed;
  else if (line.rfind("warn ", 0) == 0)
    ++report.warnings;
  WriteToConsoleOrStream(line + "\n");
  if (report.log != INVALID_HANDLE_VALUE)
    Write(report.log, line + "\r\n");
}

void ShowProgress(const std::string &line) {
  WriteToConsoleOrStream(line + "\n");
}

void CloseLog(Report &report) {
  if (report.log != INVALID_HANDLE_VALUE)
    CloseHandle(report.log);
  report.log = INVALID_HANDLE_VALUE;
}
