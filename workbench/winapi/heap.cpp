// The process heap, in guest memory. Every block is tracked with guard bytes after it, so that
// double and unknown frees, writes past a block and leaks are all seen and reported. Blocks lie in
// the heap region, which is host-backed: their bytes are filled and checked in place.
#include <algorithm>
#include <cstring>

#include "workbench/winapi/heap.h"
#include "workbench/winapi/standin.h"

namespace {

GuestHeap &Heap(Machine &m) {
  return StateOf<GuestHeap>(m);
}

const uint32_t kHeapZeroMemory = 0x08;
const uint32_t kHeapReallocInPlaceOnly = 0x10;
const uint32_t kGuardBytes = 16;
const uint8_t kGuardByte = 0xFD;
const uint32_t kLargestRequest = 0x01000000;

const uint8_t kUnset[4] = {0xBA, 0xAD, 0xF0, 0x0D};
const uint8_t kFreed[4] = {0xEE, 0xFE, 0xEE, 0xFE};

// A word at a time where whole words fit: blocks start on 16-byte boundaries.
void Fill(uint8_t *bytes, uint32_t size, const uint8_t (&pattern)[4]) {
  uint32_t i = 0;
  for (; i + 4 <= size; i += 4)
    std::memcpy(bytes + i, pattern, 4);
  for (; i < size; ++i)
    bytes[i] = pattern[i % 4];
}

bool GuardIntact(Machine &m, const HeapBlock &block) {
  const uint8_t *guard =
      HostBackedBytes(m, block.address + block.size, block.capacity - block.size);
  return std::all_of(guard, guard + (block.capacity - block.size),
                     [](uint8_t b) { return b == kGuardByte; });
}

bool CheckHandle(Machine &m, uint32_t heap, const char *function) {
  if (heap == kProcessHeapHandle)
    return true;
  m.problems.push_back(std::string(function) + " was given " + Hex32(heap) +
                       ", which is not the process heap");
  return false;
}

// The block carved at exactly this address, live or freed; null for any other address.
HeapBlock *BlockAt(Machine &m, uint32_t address) {
  auto found = std::lower_bound(
      Heap(m).blocks.begin(), Heap(m).blocks.end(), address,
      [](const HeapBlock &block, uint32_t wanted) { return block.address < wanted; });
  return found != Heap(m).blocks.end() && found->address == address ? &*found : nullptr;
}

HeapBlock *LiveBlockAt(Machine &m, uint32_t address) {
  HeapBlock *block = BlockAt(m, address);
  return block && block->live ? block : nullptr;
}

// A new block of size bytes: a spare block of the same capacity, or fresh heap memory.
// Unzeroed blocks hold a recognisable pattern so that reads of unset bytes stand out.
uint32_t Allocate(Machine &m, uint32_t size, bool zero) {
  if (size > kLargestRequest)
    return 0;
  uint32_t capacity = (size + 15) / 16 * 16 + kGuardBytes;
  HeapBlock *block = nullptr;
  auto spare = Heap(m).spare.find(capacity);
  if (spare != Heap(m).spare.end() && !spare->second.empty()) {
    block = &Heap(m).blocks[spare->second.front()];
    spare->second.pop_front();
  } else if (capacity <= kHeapBase + kHeapSize - Heap(m).next) {
    Heap(m).blocks.push_back({Heap(m).next, 0, capacity, false});
    Heap(m).next += capacity;
    block = &Heap(m).blocks.back();
  } else {
    return 0;
  }
  block->size = size;
  block->live = true;
  ++Heap(m).liveBlocks;
  uint8_t *bytes = HostBackedBytes(m, block->address, capacity);
  if (zero)
    std::memset(bytes, 0, size);
  else
    Fill(bytes, size, kUnset);
  std::memset(bytes + size, kGuardByte, capacity - size);
  return block->address;
}

// Frees a live block: checks its guard, fills it as freed and keeps it for reuse.
void Release(Machine &m, HeapBlock &block, const char *function) {
  if (!GuardIntact(m, block))
    m.problems.push_back(std::string(function) + ": the block " + Hex32(block.address) + " of " +
                         std::to_string(block.size) + " bytes was written past its end");
  Fill(HostBackedBytes(m, block.address, block.capacity), block.capacity, kFreed);
  block.live = false;
  --Heap(m).liveBlocks;
  Heap(m).spare[block.capacity].push_back(static_cast<size_t>(&block - Heap(m).blocks.data()));
}

void ReportBadBlock(Machine &m, uint32_t address, const char *function) {
  bool twice = BlockAt(m, address) != nullptr; // carved there, so freed already
  m.problems.push_back(std::string(function) + (twice ? ": double free of " : ": unknown block ") +
                       Hex32(address) + (twice ? "" : ", never allocated by HeapAlloc"));
}

uint32_t StandInGetProcessHeap(Machine &, StandInCall &) {
  return kProcessHeapHandle;
}

uint32_t StandInHeapAlloc(Machine &m, StandInCall &call) {
  uint32_t heap = call.arguments[0], flags = call.arguments[1], bytes = call.arguments[2];
  if (!CheckHandle(m, heap, "HeapAlloc"))
    return 0;
  return Allocate(m, bytes, flags & kHeapZeroMemory);
}

// Contents are kept up to the smaller size; growth is zeroed only with HEAP_ZERO_MEMORY.
// The block may move unless HEAP_REALLOC_IN_PLACE_ONLY is given; on failure the old block
// stays valid, as on Windows.
uint32_t StandInHeapReAlloc(Machine &m, StandInCall &call) {
  uint32_t heap = call.arguments[0], flags = call.arguments[1], address = call.arguments[2],
           size = call.arguments[3];
  if (!CheckHandle(m, heap, "HeapReAlloc"))
    return 0;
  HeapBlock *old = LiveBlockAt(m, address);
  if (!old) {
    ReportBadBlock(m, address, "HeapReAlloc");
    return 0;
  }
  if (flags & kHeapReallocInPlaceOnly)
    return 0;
  uint32_t kept = std::min(old->size, size);
  // Allocate may carve a new block and so move the others: the old one is found again after it.
  uint32_t moved = Allocate(m, size, flags & kHeapZeroMemory);
  if (!moved)
    return 0;
  std::memcpy(HostBackedBytes(m, moved, kept), HostBackedBytes(m, address, kept), kept);
  Release(m, *LiveBlockAt(m, address), "HeapReAlloc");
  return moved;
}

uint32_t StandInHeapFree(Machine &m, StandInCall &call) {
  uint32_t heap = call.arguments[0], address = call.arguments[2];
  if (!CheckHandle(m, heap, "HeapFree"))
    return 0;
  if (address == 0)
    return 1; // freeing null succeeds and does nothing
  HeapBlock *block = LiveBlockAt(m, address);
  if (!block) {
    ReportBadBlock(m, address, "HeapFree");
    return 0;
  }
  Release(m, *block, "HeapFree");
  return 1;
}

const StandIn kRows[] = {
    {"kernel32.dll", "GetProcessHeap", Arguments<0>(), Convention::Stdcall, StandInGetProcessHeap,
     false, 0},
    {"kernel32.dll", "HeapAlloc", Arguments<3>(), Convention::Stdcall, StandInHeapAlloc, true, 0},
    {"kernel32.dll", "HeapReAlloc", Arguments<4>(), Convention::Stdcall, StandInHeapReAlloc, true,
     0},
    {"kernel32.dll", "HeapFree", Arguments<3>(), Convention::Stdcall, StandInHeapFree, false, 0},
};

} // namespace

extern const StandInFamily kHeapStandIns = FamilyOf(kRows);

size_t LiveHeapBlockCount(Machine &m) {
  return Heap(m).liveBlocks;
}

bool IsLiveHeapBlock(Machine &m, uint32_t address) {
  return LiveBlockAt(m, address) != nullptr;
}

std::vector<std::string> CheckHeapGuards(Machine &m) {
  std::vector<std::string> damaged;
  for (const HeapBlock &block : Heap(m).blocks)
    if (block.live && !GuardIntact(m, block))
      damaged.push_back("the live block " + Hex32(block.address) + " of " +
                        std::to_string(block.size) + " bytes was written past its end");
  return damaged;
}
