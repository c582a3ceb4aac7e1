// Critical sections, kept in the guest's own records (GuestCriticalSection). The guest runs on one
// thread, so entering never blocks; the model checks that each section is initialised before use
// and left as often as entered.
#include <cstdio>

#include "workbench/winapi/standin.h"
#include "workbench/winapi/sync.h"

namespace {

const uint32_t kGuestThreadId = 0x00000F00;

// Writes the guest structure as Windows shows an unowned or owned section.
bool Store(Machine &m, uint32_t address, int32_t recursion) {
  GuestCriticalSection cs{
      0xFFFFFFFF, recursion ? recursion - 1 : -1, recursion, recursion ? kGuestThreadId : 0, 0, 0};
  return WriteGuest(m, address, &cs, sizeof cs);
}

CriticalSectionState *Known(Machine &m, uint32_t address, const char *function) {
  auto &sections = CriticalSectionsOf(m);
  auto found = sections.find(address);
  if (found != sections.end())
    return &found->second;
  m.problems.push_back(std::string(function) + " on " + Hex32(address) +
                       ", which InitializeCriticalSection never initialised");
  return nullptr;
}

uint32_t StandInInitializeCriticalSection(Machine &m, StandInCall &call) {
  uint32_t section = call.arguments[0];
  if (!WritableByGuest(m, section, sizeof(GuestCriticalSection)) || !Store(m, section, 0)) {
    StopWithFault(m, "InitializeCriticalSection was given unwritable memory at " +
                         DescribeAddress(m, section));
    return 0;
  }
  CriticalSectionsOf(m)[section] = CriticalSectionState{};
  return 0;
}

uint32_t StandInEnterCriticalSection(Machine &m, StandInCall &call) {
  uint32_t section = call.arguments[0];
  CriticalSectionState *cs = Known(m, section, "EnterCriticalSection");
  if (cs) {
    ++cs->recursion;
    Store(m, section, cs->recursion);
  }
  return 0;
}

uint32_t StandInLeaveCriticalSection(Machine &m, StandInCall &call) {
  uint32_t section = call.arguments[0];
  CriticalSectionState *cs = Known(m, section, "LeaveCriticalSection");
  if (!cs)
    return 0;
  if (cs->recursion == 0) {
    m.problems.push_back("LeaveCriticalSection on " + Hex32(section) + ", which is not entered");
    return 0;
  }
  --cs->recursion;
  Store(m, section, cs->recursion);
  return 0;
}

const StandIn kRows[] = {
    {"kernel32.dll", "InitializeCriticalSection", Arguments<1>(), Convention::Stdcall,
     StandInInitializeCriticalSection, false, 0},
    {"kernel32.dll", "EnterCriticalSection", Arguments<1>(), Convention::Stdcall,
     StandInEnterCriticalSection, false, 0},
    {"kernel32.dll", "LeaveCriticalSection", Arguments<1>(), Convention::Stdcall,
     StandInLeaveCriticalSection, false, 0},
};

} // namespace

extern const StandInFamily kSyncStandIns = FamilyOf(kRows);

std::map<uint32_t, CriticalSectionState> &CriticalSectionsOf(Machine &m) {
  return StateOf<CriticalSections>(m).byAddress;
}

size_t HeldCriticalSections(Machine &m) {
  size_t held = 0;
  for (const auto &entry : CriticalSectionsOf(m))
    held += entry.second.recursion != 0;
  return held;
}
