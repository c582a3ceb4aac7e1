// Debug output: each line the guest writes is captured as bytes (code page 932).
#include "workbench/emulator/cp932.h"
#include "workbench/standins/standin.h"

namespace {

uint32_t StandInOutputDebugStringA(Machine &m, StandInCall &call) {
  uint32_t address = call.arguments[0];
  std::string text;
  if (address && !ReadGuestString(m, address, &text)) {
    StopWithFault(m, "OutputDebugStringA was given an unreadable text at " +
                         DescribeAddress(m, address));
    return 0;
  }
  m.debugOutput.push_back(text);
  call.detail = QuoteText(text);
  return 0;
}

const StandIn kRows[] = {
    {"kernel32.dll", "OutputDebugStringA", 1, Convention::Stdcall, StandInOutputDebugStringA, false,
     0},
};

} // namespace

extern const StandInFamily kDebugStandIns = FamilyOf(kRows);
