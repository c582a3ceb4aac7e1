// Debug output: each line the guest writes is captured as bytes (code page 932).
#include "workbench/winapi/debug.h"
#include "workbench/emulator/cp932.h"
#include "workbench/winapi/standin.h"

namespace {

struct DebugLines {
  std::vector<std::string> lines;
};

uint32_t StandInOutputDebugStringA(Machine &m, StandInCall &call) {
  uint32_t address = call.arguments[0];
  std::string text;
  if (address && !ReadGuestString(m, address, &text)) {
    StopWithFault(m, "OutputDebugStringA was given an unreadable text at " +
                         DescribeAddress(m, address));
    return 0;
  }
  DebugOutput(m).push_back(text);
  call.detail = QuoteText(text);
  return 0;
}

const StandIn kRows[] = {
    {"kernel32.dll", "OutputDebugStringA", Arguments<1>(), Convention::Stdcall,
     StandInOutputDebugStringA, false, 0},
};

} // namespace

extern const StandInFamily kDebugStandIns = FamilyOf(kRows);

std::vector<std::string> &DebugOutput(Machine &m) {
  return StateOf<DebugLines>(m).lines;
}
