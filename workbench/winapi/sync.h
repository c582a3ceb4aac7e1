// Critical sections: the Windows record the guest holds, the workbench's state of each section,
// and what the host reads from them (sync.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

struct Machine;

// CRITICAL_SECTION of a 32-bit process, as Windows lays it out; the stand-ins write it whole.
struct GuestCriticalSection {
  uint32_t debugInfo;     // 0x00
  int32_t lockCount;      // 0x04 -1 when free, else the count of waiting and holding entries - 1
  int32_t recursionCount; // 0x08 enters by the owner not yet left
  uint32_t owningThread;  // 0x0C the owner's thread id, 0 when free
  uint32_t lockSemaphore; // 0x10
  uint32_t spinCount;     // 0x14
};
static_assert(sizeof(GuestCriticalSection) == 24, "CRITICAL_SECTION, 32-bit");

struct CriticalSectionState {
  int32_t recursion = 0;
};

// The machine's critical sections, by the guest record's address.
struct CriticalSections {
  std::map<uint32_t, CriticalSectionState> byAddress;
};
std::map<uint32_t, CriticalSectionState> &CriticalSectionsOf(Machine &m);

// Critical sections entered and not left.
size_t HeldCriticalSections(Machine &m);
