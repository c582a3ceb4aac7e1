// Debug output, captured line by line for tests.
#include <mutex>

#include "native_winapi/observe.h"
#include "native_winapi/windows_standin.h"

namespace {
std::mutex debugMutex;
std::vector<std::string> lines;
} // namespace

void OutputDebugStringA(LPCSTR text) {
  std::lock_guard<std::mutex> lock(debugMutex);
  lines.emplace_back(text ? text : "");
}

std::vector<std::string> DebugLines() {
  std::lock_guard<std::mutex> lock(debugMutex);
  return lines;
}

void ClearDebugLines() {
  std::lock_guard<std::mutex> lock(debugMutex);
  lines.clear();
}
