// Every stand-in call made by the guest, with its arguments and result, in order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// A call's fixed arguments, held in place: logging a call allocates nothing for them, which was a
// tenth of the workbench's time per ticket.
struct CallArguments {
  uint32_t values[8] = {};
  size_t count = 0;

  CallArguments() = default;
  CallArguments(const uint32_t *first, size_t n) : count(std::min<size_t>(n, 8)) {
    std::copy_n(first, count, values);
  }
  CallArguments(std::initializer_list<uint32_t> list) : CallArguments(list.begin(), list.size()) {}
  size_t size() const { return count; }
  uint32_t operator[](size_t i) const { return values[i]; }
  const uint32_t *begin() const { return values; }
  const uint32_t *end() const { return values + count; }
  bool operator==(const CallArguments &other) const {
    return std::equal(begin(), end(), other.begin(), other.end());
  }
};

struct LoggedCall {
  const char *name;
  CallArguments arguments;
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
