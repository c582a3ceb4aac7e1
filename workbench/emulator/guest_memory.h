// The guest's address space: where each fixed region lies, and the host's and the stand-ins' way
// of reading and writing guest memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Machine;

// Guest address space. The low 64 KiB stay unmapped so that null-pointer use faults.
const uint32_t kNullPageSize = 0x00010000;
const uint32_t kThunkBase = 0x00050000; // one stub per function the layer above provides
const uint32_t kThunkSize = 0x00010000;
const uint32_t kThunkStride = 16;
const uint32_t kReturnTrap = kThunkBase + kThunkSize - kThunkStride; // where host calls return to
const uint32_t kStackBase = 0x00100000;
const uint32_t kStackSize = 0x00100000;
const uint32_t kScratchBase = 0x00300000; // buffers and texts the host hands to the guest
const uint32_t kScratchSize = 0x00100000;
const uint32_t kHeapBase = 0x30000000;
const uint32_t kHeapSize = 0x04000000;

// The fixed regions, mapped when the machine starts; modules are loaded around them. The
// host-backed ones are the guest's read-write memory; the thunks are read-only code.
struct GuestRegion {
  uint32_t base;
  uint32_t size;
  const char *name; // in address descriptions
  bool hostBacked;
};
inline constexpr GuestRegion kGuestRegions[] = {
    {kThunkBase, kThunkSize, "stand-in thunks", false},
    {kStackBase, kStackSize, "stack", true},
    {kScratchBase, kScratchSize, "host buffer", true},
    {kHeapBase, kHeapSize, "process heap", true},
};

// A guest region backed by host memory that the host reads and writes directly: the stack, the
// host's buffers and the heap. They are read-write and never executable, for good: they hold no
// code, so neither the host's writes nor the guest's stores (unicorn_store_fix.cpp) need look for
// translated code to discard.
struct HostBackedRegion {
  uint32_t base;
  uint32_t size;
  uint8_t *memory;
};

// Maps the host-backed regions above over host memory. False with a
// message when the host or Unicorn refuses.
bool MapHostBackedRegions(Machine &m, std::string *error);
// Releases the host memory behind those regions and behind the modules' images, once the CPU is
// closed.
void UnmapHostBackedRegions(Machine &m);

// The host memory behind a guest range that lies wholly in one host-backed region, for filling
// and scanning it in place; null elsewhere.
uint8_t *HostBackedBytes(Machine &m, uint32_t address, size_t size);

// Guest memory access for the host and the stand-ins; false for unmapped memory. Ranges in a
// host-backed region or in pages of a module the guest cannot execute are copied in place;
// others go through the emulator, and translated code a write overwrites is discarded.
bool ReadGuest(Machine &m, uint32_t address, void *out, size_t size);
bool WriteGuest(Machine &m, uint32_t address, const void *data, size_t size);
// Whether the guest itself may write there: stand-ins that write through guest pointers ask
// first, since the host's own writes ignore page protection.
bool WritableByGuest(Machine &m, uint32_t address, size_t size);
bool ReadGuestU32(Machine &m, uint32_t address, uint32_t *value);
// A zero-terminated guest text up to limit bytes; false when it runs into unmapped memory or
// has no terminator within limit.
bool ReadGuestString(Machine &m, uint32_t address, std::string *text, size_t limit = 1 << 20);

// Scratch memory the host hands to the guest (records, texts); reset between host calls.
uint32_t ScratchAlloc(Machine &m, uint32_t size);
uint32_t ScratchString(Machine &m, const std::string &text);
void ResetScratch(Machine &m);
