// A small check harness for the Windows test programs run under Wine (no test framework is
// built for mingw-w64). As with Wine's own ok(), every check carries a message in printf form
// with the values it saw, printed when it fails:
//   CHECK(count == 15, "%d entries", count);
// The summary line counts all checks.
#pragma once

#include <cstdarg>
#include <cstdio>

struct CheckCounts {
  int passed;
  int failed;
};
inline CheckCounts Counts;

__attribute__((format(printf, 5, 6))) inline bool
Check(bool ok, const char *file, int line, const char *condition, const char *format, ...) {
  if (ok) {
    ++Counts.passed;
    return true;
  }
  ++Counts.failed;
  std::printf("FAILED %s:%d: %s: ", file, line, condition);
  va_list values;
  va_start(values, format);
  std::vprintf(format, values);
  va_end(values);
  std::printf("\n");
  return false;
}

#define CHECK(condition, ...) Check((condition), __FILE__, __LINE__, #condition, __VA_ARGS__)

// Prints the closing line and gives the program's exit code.
inline int Summary(const char *suite) {
  std::printf("%s: %d passed, %d failed\n", suite, Counts.passed, Counts.failed);
  std::fflush(stdout);
  return Counts.failed == 0 ? 0 : 1;
}
