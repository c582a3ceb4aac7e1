// The emulated 32-bit Windows process: a Unicorn x86 CPU, the loaded modules, and the state of
// every family of stand-in Windows functions (declared with the family, in standins/), all
// observable by the host and the tests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unicorn/unicorn.h>

#include "workbench/emulator/call_log.h"
#include "workbench/emulator/describe_address.h"
#include "workbench/emulator/guest_memory.h"
#include "workbench/emulator/pixels.h"
#include "workbench/pe/pe_image.h"
#include "workbench/standins/gdi.h"
#include "workbench/standins/heap.h"
#include "workbench/standins/sync.h"
#include "workbench/standins/windows.h"

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
  // The stand-in families' state (standins/).
  GuestHeap heap;
  std::map<uint32_t, CriticalSectionState> criticalSections; // by the guest record's address
  std::vector<std::string> debugOutput;                      // each line, as bytes
  std::map<uint32_t, WindowModel> windows;
  uint32_t nextWindow = 0x00010010;
  GdiState gdi;
  // Per stand-in, by its index in the table (standins/standin.h): calls made so far, and a
  // countdown that makes a chosen call fail (0: none armed).
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
