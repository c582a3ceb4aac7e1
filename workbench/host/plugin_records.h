// The plug-in's own records as the 32-bit guest holds them in its memory, one per layout: the
// offset of each field in its comment, the size and the offsets of the fields the host reads
// asserted. The host copies them whole with ReadGuest and WriteGuest.
#pragma once

#include <cstddef>
#include <cstdint>

#include "workbench/winapi/sync.h"

// The record GetPlgInfo fills (PlgInfo in plugin/plugin_interface.h), owned by the host.
struct GuestPlgInfo {
  int32_t infoCode;     // 0x00
  int32_t width;        // 0x04 of the ticket, in pixels
  int32_t height;       // 0x08
  int32_t reserved[11]; // 0x0C
};
static_assert(sizeof(GuestPlgInfo) == 56, "PlgInfo");
static_assert(offsetof(GuestPlgInfo, width) == 0x04 && offsetof(GuestPlgInfo, height) == 0x08 &&
                  offsetof(GuestPlgInfo, reserved) == 0x0C,
              "PlgInfo fields");

// The plug-in's text store (TextStore in text/text_store.h) as the 32-bit module lays it out.
struct GuestTextStore {
  uint32_t slots;            // 0x00 address of the array of live texts
  int32_t count;             // 0x04 live texts
  uint32_t refusals;         // 0x08 allocations the heap refused
  GuestCriticalSection lock; // 0x0C guards the three fields above
  uint32_t heap;             // 0x24 the process heap's handle
};
static_assert(sizeof(GuestTextStore) == 40, "TextStore, 32-bit");
static_assert(offsetof(GuestTextStore, count) == 0x04 && offsetof(GuestTextStore, lock) == 0x0C &&
                  offsetof(GuestTextStore, heap) == 0x24,
              "TextStore fields, 32-bit");
