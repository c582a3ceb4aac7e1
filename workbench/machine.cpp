#include "workbench/machine.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstring>

#include "workbench/standins.h"

namespace {

uint32_t RegisterValue(Machine &m, int reg) {
  uint32_t value = 0;
  uc_reg_read(m.uc, reg, &value);
  return value;
}

// Runs the stand-in whose thunk the guest has just called; the thunk's own `ret` follows.
void OnThunk(uc_engine *, uint64_t address, uint32_t, void *user) {
  Machine &m = *static_cast<Machine *>(user);
  uint32_t offset = static_cast<uint32_t>(address) - kThunkBase;
  if (offset % 16 != 0 || offset / 16 >= kStandInCount)
    return;
  size_t index = offset / 16;
  const StandIn &standIn = kStandIns[index];
  StandInCall call{};
  call.stack = RegisterValue(m, UC_X86_REG_ESP);
  if (!ReadGuest(m, call.stack + 4, call.arguments, 4u * standIn.argumentCount)) {
    StopWithFault(m, std::string("the stack is unreadable in a call of ") + standIn.name);
    return;
  }
  ++m.callCounts[index];
  uint32_t result;
  if (m.failCountdown[index] && --m.failCountdown[index] == 0) {
    result = standIn.failureResult;
    ++m.injectedFailures;
    if (m.log.enabled)
      call.detail = "failure injected";
  } else {
    result = standIn.handler(m, call);
  }
  uc_reg_write(m.uc, UC_X86_REG_EAX, &result);
  if (m.log.enabled)
    m.log.calls.push_back(
        {standIn.name,
         std::vector<uint32_t>(call.arguments, call.arguments + standIn.argumentCount), result,
         std::move(call.detail)});
}

void OnBlock(uc_engine *uc, uint64_t, uint32_t, void *user) {
  Machine &m = *static_cast<Machine *>(user);
  if (++m.blocksRun > m.blockBudget)
    uc_emu_stop(uc);
}

bool OnBadMemory(uc_engine *, uc_mem_type type, uint64_t address, int size, int64_t, void *user) {
  Machine &m = *static_cast<Machine *>(user);
  const char *what = "access to unmapped memory";
  switch (type) {
  case UC_MEM_READ_UNMAPPED:
    what = "read of unmapped memory";
    break;
  case UC_MEM_WRITE_UNMAPPED:
    what = "write to unmapped memory";
    break;
  case UC_MEM_FETCH_UNMAPPED:
    what = "execution of unmapped memory";
    break;
  case UC_MEM_WRITE_PROT:
    what = "write to read-only memory";
    break;
  case UC_MEM_FETCH_PROT:
    what = "execution of non-executable memory";
    break;
  case UC_MEM_READ_PROT:
    what = "read of unreadable memory";
    break;
  default:
    break;
  }
  uint32_t at = static_cast<uint32_t>(address);
  std::string message =
      std::string(what) + " at " + DescribeAddress(m, at) + " (" + std::to_string(size) + " bytes)";
  if (type != UC_MEM_FETCH_UNMAPPED && type != UC_MEM_FETCH_PROT)
    message += " by the instruction at " + DescribeAddress(m, RegisterValue(m, UC_X86_REG_EIP));
  StopWithFault(m, message);
  return false;
}

bool MapRegion(Machine &m, uint32_t base, uint32_t size, uint32_t perms, std::string *error) {
  uc_err err = uc_mem_map(m.uc, base, size, perms);
  if (err != UC_ERR_OK) {
    *error = "cannot map guest memory at " + Hex32(base) + ": " + uc_strerror(err);
    return false;
  }
  return true;
}

// Maps a read-write region over host memory. The host then reads and writes it with plain
// copies: going through the emulator would make it look for translated code to discard on every
// write, which costs more than most stand-ins themselves.
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

// The host memory behind [address, address + size), or null when it is not all in one
// host-backed region.
uint8_t *HostMemory(Machine &m, uint32_t address, size_t size) {
  for (const HostBackedRegion &region : m.hostBacked)
    if (address >= region.base && address - region.base <= region.size &&
        size <= region.size - (address - region.base))
      return region.memory + (address - region.base);
  return nullptr;
}

} // namespace

Machine::~Machine() {
  if (uc)
    uc_close(uc);
  for (const HostBackedRegion &region : hostBacked)
    munmap(region.memory, region.size);
}

bool StartMachine(Machine &m, std::string *error) {
  uc_err err = uc_open(UC_ARCH_X86, UC_MODE_32, &m.uc);
  if (err != UC_ERR_OK) {
    *error = std::string("cannot start the x86 emulator: ") + uc_strerror(err);
    return false;
  }
  if (!MapRegion(m, kThunkBase, kThunkSize, UC_PROT_READ | UC_PROT_EXEC, error) ||
      !MapHostBacked(m, kStackBase, kStackSize, error) ||
      !MapHostBacked(m, kScratchBase, kScratchSize, error) ||
      !MapHostBacked(m, kHeapBase, kHeapSize, error))
    return false;
  // Each thunk is the `ret` of its convention; the hook runs the handler just before it.
  std::vector<uint8_t> thunks(kThunkSize, 0xF4); // hlt
  for (size_t i = 0; i < kStandInCount; ++i) {
    uint8_t *stub = &thunks[i * 16];
    if (kStandIns[i].convention == Convention::Stdcall) {
      uint32_t pop = 4u * static_cast<uint32_t>(kStandIns[i].argumentCount);
      stub[0] = 0xC2;
      stub[1] = static_cast<uint8_t>(pop);
      stub[2] = static_cast<uint8_t>(pop >> 8);
    } else {
      stub[0] = 0xC3;
    }
  }
  uc_mem_write(m.uc, kThunkBase, thunks.data(), thunks.size());
  m.callCounts.assign(kStandInCount, 0);
  m.failCountdown.assign(kStandInCount, 0);
  uc_hook hook;
  if (uc_hook_add(m.uc, &hook, UC_HOOK_CODE, reinterpret_cast<void *>(OnThunk), &m, kThunkBase,
                  kThunkBase + kStandInCount * 16 - 1) != UC_ERR_OK ||
      uc_hook_add(m.uc, &hook, UC_HOOK_BLOCK, reinterpret_cast<void *>(OnBlock), &m, 1, 0) !=
          UC_ERR_OK ||
      uc_hook_add(m.uc, &hook, UC_HOOK_MEM_INVALID, reinterpret_cast<void *>(OnBadMemory), &m, 1,
                  0) != UC_ERR_OK) {
    *error = "cannot install the emulator hooks";
    return false;
  }
  return true;
}

std::string DescribeAddress(const Machine &m, uint32_t address) {
  std::string where = Hex32(address);
  for (const LoadedModule &module : m.modules) {
    if (address < module.base || address - module.base >= module.pe.sizeOfImage)
      continue;
    uint32_t rva = address - module.base;
    const PeSection *section = SectionOfRva(module.pe, rva);
    where += " (" + module.name + " " + (section ? section->name : std::string("headers"));
    const PeExport *nearest = NearestExport(module.pe, rva);
    if (nearest && section && (section->characteristics & kSectionExecute) &&
        SectionOfRva(module.pe, nearest->rva) == section) {
      char offset[16];
      std::snprintf(offset, sizeof offset, "+0x%X", rva - nearest->rva);
      where += ", " +
               (nearest->name.empty() ? "#" + std::to_string(nearest->ordinal) : nearest->name) +
               offset;
    }
    for (const PeImport &import : module.pe.imports)
      if (rva >= import.slotRva && rva - import.slotRva < 4)
        where += ", import slot of " + import.dll + "!" + import.name;
    return where + ")";
  }
  if (address >= kThunkBase && address - kThunkBase < kStandInCount * 16)
    return where + " (stand-in " + kStandIns[(address - kThunkBase) / 16].name + ")";
  if (address >= kStackBase && address - kStackBase < kStackSize)
    return where + " (stack)";
  if (address >= kHeapBase && address - kHeapBase < kHeapSize)
    return where + " (process heap)";
  if (address >= kScratchBase && address - kScratchBase < kScratchSize)
    return where + " (host buffer)";
  if (address < 0x10000)
    return where + " (null page)";
  return where;
}

std::string Hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

void StopWithFault(Machine &m, const std::string &message) {
  if (m.fault.empty())
    m.fault = message;
  uc_emu_stop(m.uc);
}

bool ReadGuest(Machine &m, uint32_t address, void *out, size_t size) {
  if (uint8_t *memory = HostMemory(m, address, size)) {
    std::memcpy(out, memory, size);
    return true;
  }
  return size == 0 || uc_mem_read(m.uc, address, out, size) == UC_ERR_OK;
}

bool WriteGuest(Machine &m, uint32_t address, const void *data, size_t size) {
  if (uint8_t *memory = HostMemory(m, address, size)) {
    std::memcpy(memory, data, size);
    return true;
  }
  return size == 0 || uc_mem_write(m.uc, address, data, size) == UC_ERR_OK;
}

bool WritableByGuest(Machine &m, uint32_t address, size_t size) {
  uint64_t end = uint64_t{address} + size;
  const uint32_t writable[][2] = {
      {kStackBase, kStackSize}, {kScratchBase, kScratchSize}, {kHeapBase, kHeapSize}};
  for (const auto &region : writable)
    if (address >= region[0] && end <= uint64_t{region[0]} + region[1])
      return true;
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

bool CallGuest(Machine &m, uint32_t address, const std::vector<uint32_t> &arguments,
               uint32_t *result, std::string *error) {
  std::vector<uint32_t> frame;
  frame.push_back(kReturnTrap);
  frame.insert(frame.end(), arguments.begin(), arguments.end());
  uint32_t top = kStackBase + kStackSize - 256;
  uint32_t esp = top - static_cast<uint32_t>(frame.size() * 4);
  WriteGuest(m, esp, frame.data(), frame.size() * 4);
  uint32_t zero = 0, flags = 0x202;
  for (int reg : {UC_X86_REG_EAX, UC_X86_REG_EBX, UC_X86_REG_ECX, UC_X86_REG_EDX, UC_X86_REG_ESI,
                  UC_X86_REG_EDI, UC_X86_REG_EBP})
    uc_reg_write(m.uc, reg, &zero);
  uc_reg_write(m.uc, UC_X86_REG_EFLAGS, &flags);
  uc_reg_write(m.uc, UC_X86_REG_ESP, &esp);
  m.fault.clear();
  m.blocksRun = 0;
  uc_err err = uc_emu_start(m.uc, address, kReturnTrap, 0, 0);
  uint32_t eip = RegisterValue(m, UC_X86_REG_EIP);
  if (!m.fault.empty()) {
    *error = m.fault + ", in the call of " + DescribeAddress(m, address);
    return false;
  }
  if (err != UC_ERR_OK) {
    *error = std::string("CPU stopped: ") + uc_strerror(err) + " at " + DescribeAddress(m, eip) +
             ", in the call of " + DescribeAddress(m, address);
    return false;
  }
  if (eip != kReturnTrap) {
    *error = "budget of " + std::to_string(m.blockBudget) + " basic blocks exceeded at " +
             DescribeAddress(m, eip) + ", in the call of " + DescribeAddress(m, address);
    return false;
  }
  uint32_t after = RegisterValue(m, UC_X86_REG_ESP);
  uint32_t removed = after - esp - 4;
  if (removed != arguments.size() * 4) {
    *error = "stack imbalance: the call of " + DescribeAddress(m, address) + " removed " +
             std::to_string(static_cast<int32_t>(removed)) + " bytes of arguments, expected " +
             std::to_string(arguments.size() * 4);
    return false;
  }
  *result = RegisterValue(m, UC_X86_REG_EAX);
  return true;
}
