#include "workbench/emulator/call_log.h"

#include <cstdio>

std::string FormatCall(const LoggedCall &call) {
  std::string line = call.name;
  line += '(';
  char number[16];
  for (size_t i = 0; i < call.arguments.size(); ++i) {
    std::snprintf(number, sizeof number, "%s0x%X", i ? ", " : "", call.arguments[i]);
    line += number;
  }
  std::snprintf(number, sizeof number, ") = 0x%X", call.result);
  line += number;
  if (!call.detail.empty())
    line += "  " + call.detail;
  return line;
}

std::vector<LoggedCall> CallsNamed(const CallLog &log, const std::vector<std::string> &names) {
  std::vector<LoggedCall> found;
  for (const LoggedCall &call : log.calls)
    for (const std::string &name : names)
      if (name == call.name) {
        found.push_back(call);
        break;
      }
  return found;
}
