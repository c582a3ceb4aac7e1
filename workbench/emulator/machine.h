// The emulated 32-bit Windows process: a Unicorn x86 CPU, the loaded modules, and the state of
// every family of stand-in Windows functions, all observable by the host and the tests.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unicorn/unicorn.h>

#include "workbench/emulator/call_log.h"
#include "workbench/standins/dib.h"
#include "workbench/emulator/guest_memory.h"
#include "workbench/pe/pe_image.h"

struct LoadedModule {
  std::string name; // file name, as the guest would see it
  PeImage pe;
  uint32_t base;
  // Host memory behind the image, and the runs of its pages the guest cannot execute, as offset
  // and size: the host reads and writes those in place (guest_memory.h). Protections never change
  // after loading.
  uint8_t *memory = nullptr;
  uint32_t memorySize = 0;
  std::vector<std::pair<uint32_t, uint32_t>> dataRuns;
  // Decoded RT_BITMAP resources, by id; shared with the bitmaps loaded from them, which never
  // change.
  std::map<uint32_t, std::shared_ptr<const Pixels>> bitmapCache;
};

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
  uint64_t allocations = 0, reallocations = 0, frees = 0;
};

struct CriticalSectionState {
  int32_t recursion = 0;
  uint64_t enters = 0;
};

struct WindowModel {
  enum Kind { Edit, ComboBox } kind;
  std::string text;               // edit control
  std::vector<std::string> items; // combo box
};

// One image of a list: a width-wide slice of a bitmap's pixels from column `left`. Bitmaps never
// change after loading, so sharing their pixels is as good as the copy Windows keeps.
struct ImageSlice {
  std::shared_ptr<const Pixels> source;
  int32_t left;
};

struct ImageList {
  int32_t width, height;
  uint32_t flags;
  std::vector<ImageSlice> images;
};

// A device context that is a pixel canvas; drawing outside it is clipped and remembered.
struct Canvas {
  Pixels pixels;
  bool drewOutside = false;
};

struct GdiState {
  uint32_t nextHandle = 1;
  std::map<uint32_t, std::shared_ptr<const Pixels>> bitmaps;
  std::map<uint32_t, ImageList> imageLists;
  std::map<uint32_t, Canvas> canvases;
  uint64_t bitmapsCreated = 0, bitmapsDeleted = 0, listsCreated = 0, listsDestroyed = 0;
};

struct Machine {
  uc_engine *uc = nullptr;
  std::vector<HostBackedRegion> hostBacked;
  std::vector<LoadedModule> modules;
  // Basic blocks one call of an export may run: a loop that never ends stops here. Counted per
  // block, not per instruction, since an instruction count makes the emulator stop after every
  // instruction.
  uint64_t blockBudget = 10000000;
  uint64_t blocksRun = 0;
  std::string fault;                 // the first fatal error of the running call
  std::vector<std::string> problems; // misuse that Windows would survive: bad frees, ...
  CallLog log;
  uint32_t scratchNext = kScratchBase;
  GuestHeap heap;
  std::map<uint32_t, CriticalSectionState> criticalSections;
  std::vector<std::string> debugOutput;
  std::map<uint32_t, WindowModel> windows;
  uint32_t nextWindow = 0x00010010;
  GdiState gdi;
  // Per stand-in, by its index in the table: calls made so far, and a countdown that makes a
  // chosen call fail (0: none armed).
  std::vector<uint64_t> callCounts;
  std::vector<uint32_t> failCountdown;
  uint64_t injectedFailures = 0;

  Machine() = default;
  Machine(const Machine &) = delete;
  Machine &operator=(const Machine &) = delete;
  ~Machine();
};

// Opens the CPU and maps the fixed regions. False with a message when Unicorn refuses.
bool StartMachine(Machine &m, std::string *error);

// Where an address lies, in words: "0x10001234 (TKT_A1.QPL .text, DrawSeiriken+0x34)".
std::string DescribeAddress(const Machine &m, uint32_t address);

// "0x0000ABCD".
std::string Hex32(uint32_t value);

// The machine whose guest code this thread runs (inside CallGuest), or null: for what the
// emulator calls with no machine at hand.
Machine *RunningMachine();

// Records the first fatal error of the running call and stops the CPU.
void StopWithFault(Machine &m, const std::string &message);

// Calls an exported stdcall function. Checks that the callee removed exactly the arguments,
// stayed within the block budget and touched no unmapped or read-only memory. False with
// the message naming the place on any of these.
bool CallGuest(Machine &m, uint32_t address, const std::vector<uint32_t> &arguments,
               uint32_t *result, std::string *error);
