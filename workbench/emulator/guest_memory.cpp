#include "workbench/emulator/guest_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>

#include "workbench/emulator/machine.h"

namespace {

// Maps a read-write region over host memory. The host then reads and writes it with plain
// copies: going through the emulator costs more than most stand-ins themselves.
bool MapHostBacked(Machine &m, uint32_t base, uint32_t size, std::string *error) {
  void *memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    *error = "cannot reserve host memory for the guest region at " + Hex32(base);
    return false;
  }
  m.hostBacked.push_back({base, size, static_cast<uint8_t *>(memory)});
  uc_err err = uc_mem_map_ptr(m.uc, base, size, UC_PROT_READ | UC_PROT_WRITE, memory);
  if (err != UC_ERR_OK) {
    *error = "cannot map guest memory at " + Hex32(base) + ": " + uc_strerror(err);
    return false;
  }
  return true;
}

bool Contains(uint32_t base, uint32_t length, uint32_t address, size_t size) {
  return address >= base && address - base <= length && size <= length - (address - base);
}

// The host memory behind a guest range that may be read and written in place: one wholly in a
// host-backed region or in one run of a module's pages that the guest cannot execute. Null
// elsewhere.
uint8_t *InPlaceBytes(Machine &m, uint32_t address, size_t size) {
  if (uint8_t *memory = HostBackedBytes(m, address, size))
    return memory;
  for (const LoadedModule &module : m.modules)
    for (const auto &[offset, length] : module.dataRuns)
      if (Contains(module.base + offset, length, address, size))
        return module.memory + (address - module.base);
  return nullptr;
}

// Whether the page at this address lies in a module's image outside its data runs, where
// translated code may lie.
bool InModuleCode(const Machine &m, uint64_t page) {
  for (const LoadedModule &module : m.modules)
    if (page >= module.base && page - module.base < module.memorySize)
      return std::none_of(module.dataRuns.begin(), module.dataRuns.end(), [&](const auto &run) {
        return page - module.base - run.first < run.second;
      });
  return false;
}

// Debian's Unicorn 2.0.1 writes for its host without discarding the translated code it overwrites
// (the guest's own stores do discard it), so the host's writes to a module's executable pages
// discard it themselves. Only those: asking about other pages would make the emulator fetch from
// them. Harmless, and removable, once the library discards it itself (the probe test
// HostWritesDiscardCodeTheyOverwrite then passes without it).
void DiscardOverwrittenCode(Machine &m, uint32_t address, size_t size) {
  const uint64_t kPage = 0x1000, end = uint64_t{address} + size;
  for (uint64_t page = address & ~(kPage - 1); page < end; page += kPage)
    if (InModuleCode(m, page))
      uc_ctl_remove_cache(m.uc, std::max<uint64_t>(page, address), std::min(page + kPage, end));
}

} // namespace

uint8_t *HostBackedBytes(Machine &m, uint32_t address, size_t size) {
  for (const HostBackedRegion &region : m.hostBacked)
    if (Contains(region.base, region.size, address, size))
      return region.memory + (address - region.base);
  return nullptr;
}

bool MapHostBackedRegions(Machine &m, std::string *error) {
  for (const GuestRegion &region : kGuestRegions)
    if (region.hostBacked && !MapHostBacked(m, region.base, region.size, error))
      return false;
  return true;
}

void UnmapHostBackedRegions(Machine &m) {
  for (const HostBackedRegion &region : m.hostBacked)
    munmap(region.memory, region.size);
  m.hostBacked.clear();
  for (LoadedModule &module : m.modules) {
    munmap(module.memory, module.memorySize);
    module.memory = nullptr;
    module.dataRuns.clear();
  }
}

// Nothing to copy is done at once: an empty buffer may have no address at all.
bool ReadGuest(Machine &m, uint32_t address, void *out, size_t size) {
  if (size == 0)
    return true;
  if (uint8_t *memory = InPlaceBytes(m, address, size)) {
    std::memcpy(out, memory, size);
    return true;
  }
  return uc_mem_read(m.uc, address, out, size) == UC_ERR_OK;
}

bool WriteGuest(Machine &m, uint32_t address, const void *data, size_t size) {
  if (size == 0)
    return true;
  if (uint8_t *memory = InPlaceBytes(m, address, size)) {
    std::memcpy(memory, data, size);
    return true;
  }
  if (uc_mem_write(m.uc, address, data, size) != UC_ERR_OK)
    return false;
  DiscardOverwrittenCode(m, address, size);
  return true;
}

bool WritableByGuest(Machine &m, uint32_t address, size_t size) {
  if (HostBackedBytes(m, address, size))
    return true;
  uint64_t end = uint64_t{address} + size;
  uc_mem_region *regions = nullptr;
  uint32_t count = 0;
  if (uc_mem_regions(m.uc, &regions, &count) != UC_ERR_OK)
    return false;
  uint64_t covered = address;
  for (bool progress = true; progress && covered < end;) {
    progress = false;
    for (uint32_t i = 0; i < count; ++i)
      if (regions[i].begin <= covered && covered <= regions[i].end &&
          (regions[i].perms & UC_PROT_WRITE)) {
        covered = regions[i].end + 1;
        progress = true;
      }
  }
  uc_free(regions);
  return covered >= end;
}

bool ReadGuestU32(Machine &m, uint32_t address, uint32_t *value) {
  return ReadGuest(m, address, value, 4);
}

bool ReadGuestString(Machine &m, uint32_t address, std::string *text, size_t limit) {
  text->clear();
  char chunk[64];
  while (text->size() < limit) {
    // Read up to the next 64-byte boundary so that a text ending just before unmapped
    // memory is still read whole.
    uint32_t at = address + static_cast<uint32_t>(text->size());
    size_t n = 64 - at % 64;
    if (!ReadGuest(m, at, chunk, n))
      return false;
    for (size_t i = 0; i < n; ++i) {
      if (chunk[i] == 0)
        return true;
      text->push_back(chunk[i]);
    }
  }
  return false;
}

uint32_t ScratchAlloc(Machine &m, uint32_t size) {
  uint32_t at = m.scratchNext;
  uint32_t rounded = (size + 15) & ~15u;
  if (rounded > kScratchBase + kScratchSize - at)
    return 0;
  m.scratchNext += rounded;
  return at;
}

uint32_t ScratchString(Machine &m, const std::string &text) {
  uint32_t at = ScratchAlloc(m, static_cast<uint32_t>(text.size() + 1));
  if (at)
    WriteGuest(m, at, text.c_str(), text.size() + 1);
  return at;
}

void ResetScratch(Machine &m) {
  m.scratchNext = kScratchBase;
}
