// The CPU: opening it with its memory, the hooks that stop a call on a bad memory
// access or an exhausted block budget, and calls from the host into the guest.
#include "workbench/emulator/machine.h"

#include <atomic>

namespace {

thread_local Machine *running = nullptr;

uint32_t RegisterValue(Machine &m, int reg) {
  uint32_t value = 0;
  uc_reg_read(m.uc, reg, &value);
  return value;
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

} // namespace

Machine::~Machine() {
  if (uc)
    uc_close(uc);
  UnmapHostBackedRegions(*this);
}

bool StartMachine(Machine &m, std::string *error) {
  uc_err err = uc_open(UC_ARCH_X86, UC_MODE_32, &m.uc);
  if (err != UC_ERR_OK) {
    *error = std::string("cannot start the x86 emulator: ") + uc_strerror(err);
    return false;
  }
  if (!MapHostBackedRegions(m, error))
    return false;
  uc_hook hook;
  if (uc_hook_add(m.uc, &hook, UC_HOOK_BLOCK, reinterpret_cast<void *>(OnBlock), &m, 1, 0) !=
          UC_ERR_OK ||
      uc_hook_add(m.uc, &hook, UC_HOOK_MEM_INVALID, reinterpret_cast<void *>(OnBadMemory), &m, 1,
                  0) != UC_ERR_OK) {
    *error = "cannot install the emulator hooks";
    return false;
  }
  return true;
}

size_t NewStateSlot() {
  static std::atomic<size_t> slots{0};
  return slots++;
}

Machine *RunningMachine() {
  return running;
}

void StopWithFault(Machine &m, const std::string &message) {
  if (m.fault.empty())
    m.fault = message;
  uc_emu_stop(m.uc);
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
  Machine *outer = running;
  running = &m;
  uc_err err = uc_emu_start(m.uc, address, kReturnTrap, 0, 0);
  running = outer;
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
