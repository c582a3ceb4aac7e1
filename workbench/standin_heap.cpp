// The process heap, in guest memory. Every block is tracked with guard bytes after it, so that
// double and unknown frees, writes past a block and leaks are all seen and reported.
#include <cstdio>

#include "workbench/standins.h"

namespace {

const uint32_t kHeapZeroMemory = 0x08;
const uint32_t kHeapReallocInPlaceOnly = 0x10;
const uint32_t kGuardBytes = 16;
const uint8_t kGuardByte = 0xFD;
const uint32_t kLargestRequest = 0x01000000;

void Fill(Machine &m, uint32_t address, uint32_t size, const uint8_t *pattern, size_t period) {
  std::vector<uint8_t> bytes(size);
  for (uint32_t i = 0; i < size; ++i)
    bytes[i] = pattern[i % period];
  WriteGuest(m, address, bytes.data(), bytes.size());
}

bool GuardIntact(Machine &m, uint32_t address, const HeapBlock &block) {
  std::vector<uint8_t> guard(block.capacity - block.size);
  if (!ReadGuest(m, address + block.size, guard.data(), guard.size()))
    return false;
  for (uint8_t b : guard)
    if (b != kGuardByte)
      return false;
  return true;
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
  static const uint8_t kZero[1] = {0};
  static const uint8_t kUnset[4] = {0xBA, 0xAD, 0xF0, 0x0D};
  if (zero)
    Fill(m, address, size, kZero, 1);
  else
    Fill(m, address, size, kUnset, 4);
  static const uint8_t kGuard[1] = {kGuardByte};
  Fill(m, address + size, capacity - size, kGuard, 1);
  m.heap.live[address] = {size, capacity, ++m.heap.serial};
  return address;
}

// Frees a live block: checks its guard, fills it as freed and keeps it for reuse.
void Release(Machine &m, uint32_t address, const char *function) {
  HeapBlock block = m.heap.live[address];
  if (!GuardIntact(m, address, block))
    m.problems.push_back(std::string(function) + ": the block " + Hex32(address) + " of " +
                         std::to_string(block.size) + " bytes was written past its end");
  static const uint8_t kFreed[4] = {0xEE, 0xFE, 0xEE, 0xFE};
  Fill(m, address, block.capacity, kFreed, 4);
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
  std::vector<uint8_t> keep(old.size < size ? old.size : size);
  ReadGuest(m, address, keep.data(), keep.size());
  WriteGuest(m, moved, keep.data(), keep.size());
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
