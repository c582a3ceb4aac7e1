// The emulated 32-bit process: a Unicorn x86 CPU, guest memory and the loaded modules. What the
// layer above adds (the Windows functions a module imports, and their state) the machine knows
// only through two small interfaces: the import provider and the state it holds for that layer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <unicorn/unicorn.h>

#include "workbench/emulator/call_log.h"
#include "workbench/emulator/describe_address.h"
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
};

// How the layer above provides the functions modules import: the guest address a call of dll!name
// goes to (0 when it provides none), and the name of the function whose entry is at an address
// (null for any other address), for descriptions of addresses.
struct ImportProvider {
  uint32_t (*resolve)(const std::string &dll, const std::string &name);
  const char *(*nameAt)(uint32_t address);
};

// State a layer above keeps per machine (a family of Windows functions' models, say): the machine
// owns it, so that it lives and dies with the machine, and knows nothing else of it.
struct MachineState {
  virtual ~MachineState() = default;
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
  // Set by the layer above before a module is loaded; without it a module's imports stay unbound
  // and loading it fails.
  const ImportProvider *imports = nullptr;
  std::vector<std::unique_ptr<MachineState>> states; // by slot, see StateOf

  Machine() = default;
  Machine(const Machine &) = delete;
  Machine &operator=(const Machine &) = delete;
  ~Machine();
};

// A new slot in Machine::states, one per kind of state, numbered from 0 as first asked for.
size_t NewStateSlot();

// The state of kind State (a plain record) this machine holds for the layer above, made empty on
// first use.
template <class State> State &StateOf(Machine &m) {
  struct Held : MachineState {
    State value;
  };
  static const size_t slot = NewStateSlot();
  if (slot >= m.states.size())
    m.states.resize(slot + 1);
  if (!m.states[slot])
    m.states[slot] = std::make_unique<Held>();
  return static_cast<Held &>(*m.states[slot]).value;
}

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
