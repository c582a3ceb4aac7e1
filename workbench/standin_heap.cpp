// The process heap, in guest memory. Every block is tracked with guard bytes after it, so that
// double and unknown frees, writes past a block and leaks are all seen and reported. Blocks lie in
// the heap region, which is host-backed: their bytes are filled and checked in place.
#include <algorithm>
#include <cstring>

#include "workbench/standins.h"

namespace {

const uint32_t kHeapZeroMemory = 0x08;
const uint32_t kHeapReallocInPlaceOnly = 0x10;
const uint32_t kGuardBytes = 16;
const uint8_t kGuardByte = 0xFD;
const uint32_t kLargestRequest = 0x01000000;

const uint8_t kUnset[4] = {0xBA, 0xAD, 0xF0, 0x0D};
const uint8_t kFreed[4] = {0xEE, 0xFE, 0xEE, 0xFE};

// The size bytes at a block's address, in host memory.
uint8_t *BlockBytes(Machine &m, uint32_t address, uint32_t size) {
  return HostBackedBytes(m, address, size);
}

void Fill(uint8_t *bytes, uint32_t size, const uint8_t (&pattern)[4]) {
  for (uint32_t i = 0; i < size; ++i)
    bytes[i] = pattern[i % 4];
}

bool GuardIntact(Machine &m, uint32_t address, const HeapBlock &block) {
  const uint8_t *guard = BlockBytes(m, address + block.size, block.capacity - block.size);
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

// A new block of size bytes: a spare block of the same capacity, or fresh heap memory.
// Unzeroed blocks hold a recognisable pattern so that reads of unset bytes stand out.
uint32_t Allocate(Machine &m, uint32_t size, bool zero) {
  if (size > kLargestRequest)
    return 0;
  uint32_t capacity = (size + 15) / 16 * 16 + kGuardBytes;
  uint32_t address = 0;
  auto spare = m.heap.spare.find(capacity);
  if (spare != m.heap.spare.end()) {
    address = spare->second;
    m.heap.spare.erase(spare);
    m.heap.freed.erase(address);
  } else if (capacity <= kHeapBase + kHeapSize - m.heap.next) {
    address = m.heap.next;
    m.heap.next += capacity;
  } else {
    return 0;
  }
  uint8_t *bytes = BlockBytes(m, address, capacity);
  if (zero)
    std::memset(bytes, 0, size);
  else
    Fill(bytes, size, kUnset);
  std::memset(bytes + size, kGuardByte, capacity - size);
  m.heap.live[address] = {size, capacity, ++m.heap.serial};
  return address;
}

// Frees a live block: checks its guard, fills it as freed and keeps it for reuse.
void Release(Machine &m, uint32_t address, const char *function) {
  HeapBlock block = m.heap.live[address];
  if (!GuardIntact(m, address, block))
    m.problems.push_back(std::string(function) + ": the block " + Hex32(address) + " of " +
                         std::to_string(block.size) + " bytes was written past its end");
  Fill(BlockBytes(m, address, block.capacity), block.capacity, kFreed);
  m.heap.live.erase(address);
  m.heap.freed.insert(address);
  m.heap.spare.emplace(block.capacity, address);
}

void ReportBadBlock(Machine &m, uint32_t address, const char *function) {
  bool twice = m.heap.freed.count(address) != 0;
  m.problems.push_back(std::string(function) + (twice ? ": double free of " : ": unknown block ") +
                       Hex32(address) + (twice ? "" : ", never allocated by HeapAlloc"));
}

} // namespace

uint32_t StandInGetProcessHeap(Machine &, StandInCall &) {
  return kProcessHeapHandle;
}

uint32_t StandInHeapAlloc(Machine &m, StandInCall &call) {
  uint32_t heap = call.arguments[0], flags = call.arguments[1], bytes = call.arguments[2];
  if (!CheckHandle(m, heap, "HeapAlloc"))
    return 0;
  ++m.heap.allocations;
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
  ++m.heap.reallocations;
  auto found = m.heap.live.find(address);
  if (found == m.heap.live.end()) {
    ReportBadBlock(m, address, "HeapReAlloc");
    return 0;
  }
  HeapBlock old = found->second;
  if (flags & kHeapReallocInPlaceOnly)
    return 0;
  uint32_t moved = Allocate(m, size, flags & kHeapZeroMemory);
  if (!moved)
    return 0;
  uint32_t kept = std::min(old.size, size);
  std::memcpy(BlockBytes(m, moved, kept), BlockBytes(m, address, kept), kept);
  Release(m, address, "HeapReAlloc");
  return moved;
}

uint32_t StandInHeapFree(Machine &m, StandInCall &call) {
  uint32_t heap = call.arguments[0], address = call.arguments[2];
  if (!CheckHandle(m, heap, "HeapFree"))
    return 0;
  ++m.heap.frees;
  if (address == 0)
    return 1; // freeing null succeeds and does nothing
  if (!m.heap.live.count(address)) {
    ReportBadBlock(m, address, "HeapFree");
    return 0;
  }
  Release(m, address, "HeapFree");
  return 1;
}

size_t LiveHeapBlockCount(const Machine &m) {
  return m.heap.live.size();
}

std::vector<std::string> CheckHeapGuards(Machine &m) {
  std::vector<std::string> damaged;
  for (const auto &[address, block] : m.heap.live)
    if (!GuardIntact(m, address, block))
      damaged.push_back("the live block " + Hex32(address) + " of " + std::to_string(block.size) +
                        " bytes was written past its end");
  return damaged;
}
