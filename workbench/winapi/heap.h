// The process heap's state and what the host reads from it (heap.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "workbench/emulator/guest_memory.h"

// The handle GetProcessHeap gives.
const uint32_t kProcessHeapHandle = 0x00150000;

// A block of the guest heap. Blocks are carved one after another from the heap region and never
// split or merged, so they lie in the order they were carved; a freed block waits, filled as
// freed, for a later request of the same capacity.
struct HeapBlock {
  uint32_t address;
  uint32_t size;     // bytes the guest asked for
  uint32_t capacity; // bytes reserved, guard bytes included
  bool live;
};

// Kept without a container node per block, so that a HeapAlloc or HeapFree allocates nothing on
// the host once the guest's working set has been carved.
struct GuestHeap {
  uint32_t next = kHeapBase;                    // first never-used byte
  std::vector<HeapBlock> blocks;                // every block carved, by address
  std::map<uint32_t, std::deque<size_t>> spare; // capacity -> freed blocks, the longest freed first
  size_t liveBlocks = 0;
};

// Live block count, whether a live block starts at an address, and a report line for each live
// block whose guard bytes were overwritten (a write past its end).
size_t LiveHeapBlockCount(Machine &m);
bool IsLiveHeapBlock(Machine &m, uint32_t address);
std::vector<std::string> CheckHeapGuards(Machine &m);
