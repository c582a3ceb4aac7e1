// Records as the 32-bit guest holds them in its memory, one per layout: the offset of each field
// in its comment, the size asserted. The host and the stand-ins copy them whole with ReadGuest and
// WriteGuest.
#pragma once

#include <cstddef>
#include <cstdint>

// The record GetPlgInfo fills (PlgInfo in plugin/plugin_interface.h), owned by the host.
struct GuestPlgInfo {
  int32_t infoCode;     // 0x00
  int32_t width;        // 0x04 of the ticket, in pixels
  int32_t height;       // 0x08
  int32_t reserved[11]; // 0x0C
};
static_assert(sizeof(GuestPlgInfo) == 56, "PlgInfo");

// CRITICAL_SECTION of a 32-bit process.
struct GuestCriticalSection {
  uint32_t debugInfo;     // 0x00
  int32_t lockCount;      // 0x04 -1 when free, else the count of waiting and holding entries - 1
  int32_t recursionCount; // 0x08 enters by the owner not yet left
  uint32_t owningThread;  // 0x0C the owner's thread id, 0 when free
  uint32_t lockSemaphore; // 0x10
  uint32_t spinCount;     // 0x14
};
static_assert(sizeof(GuestCriticalSection) == 24, "CRITICAL_SECTION, 32-bit");

// The plug-in's text store (TextStore in text/text_store.h) as the 32-bit module lays it out.
struct GuestTextStore {
  uint32_t slots;            // 0x00 address of the array of live texts
  int32_t count;             // 0x04 live texts
  uint32_t refusals;         // 0x08 allocations the heap refused
  GuestCriticalSection lock; // 0x0C guards the three fields above
  uint32_t heap;             // 0x24 the process heap's handle
};
static_assert(sizeof(GuestTextStore) == 40, "TextStore, 32-bit");
static_assert(offsetof(GuestTextStore, lock) == 12, "the lock follows three 4-byte fields");
