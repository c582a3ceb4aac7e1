// A small check harness for the Windows test programs run under Wine (no test framework is
// built for mingw-w64). Each check prints on failure; the summary line counts them all.
#pragma once

#include <cstdio>

struct CheckCounts {
  int passed;
  int failed;
};
inline CheckCounts Counts;

inline bool Check(bool ok, const char *what, const char *file, int line) {
  if (ok) {
    ++Counts.passed;
  } else {
    ++Counts.failed;
    std::printf("FAILED %s:%d: %s\n", file, line, what);
  }
  return ok;
}

#define CHECK(condition) Check((condition), #condition, __FILE__, __LINE__)

// Prints the closing line and gives the program's exit code.
inline int Summary(const char *suite) {
  std::printf("%s: %d passed, %d failed\n", suite, Counts.passed, Counts.failed);
  std::fflush(stdout);
  return Counts.failed == 0 ? 0 : 1;
}
