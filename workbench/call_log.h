// Every stand-in call made by the guest, with its arguments and result, in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LoggedCall {
  const char *name;
  std::vector<uint32_t> arguments;
  uint32_t result;
  std::string detail; // texts the call read or wrote, in readable form
};

struct CallLog {
  bool enabled = true; // off, the stand-ins also skip writing their details
  std::vector<LoggedCall> calls;
};

// One line: Name(0x1, 0x2) = 0x3  "detail"
std::string FormatCall(const LoggedCall &call);

// The calls of the given names, in order.
std::vector<LoggedCall> CallsNamed(const CallLog &log, const std::vector<std::string> &names);
