// The report as the operator sees it: each line on the console and in the log file (UTF-8 with a
// byte-order mark and CR LF line ends, so that Notepad on any Windows opens it), with the lines
// that pass, fail and warn counted for the summary.
#pragma once

#include <windows.h>

#include <string>

struct Report {
  HANDLE log = INVALID_HANDLE_VALUE;
  std::string logPath;
  int passed = 0, failed = 0, warnings = 0;
};

// Opens the log: the named file, else tkt-check.log beside the plug-in, else in the current
// folder. False when none can be written (the report then goes to the console alone).
bool OpenLog(Report &report, const std::string &named, const std::string &plugin);

// One line of UTF-8 text, counted by its first word ("ok", "FAIL", "warn").
void ReportLine(Report &report, const std::string &line);

// A line for the operator watching, on the console alone: not part of the report.
void ShowProgress(const std::string &line);

void CloseLog(Report &report);
