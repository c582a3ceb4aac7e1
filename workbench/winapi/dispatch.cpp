// The stand-in dispatcher: a thunk per stand-in in guest memory, and the hook that runs the
// stand-in's handler when the guest calls one. Each thunk is only the `ret` of its calling
// convention; the hook reads the arguments, runs the handler (or an injected failure), puts the
// result in EAX and logs the call before the `ret` executes.
#include "workbench/winapi/standin.h"

namespace {

// Runs the stand-in whose thunk the guest has just called; the thunk's own `ret` follows.
void OnThunk(uc_engine *, uint64_t address, uint32_t, void *user) {
  Machine &m = *static_cast<Machine *>(user);
  size_t index = 0;
  if (!StandInAtAddress(static_cast<uint32_t>(address), &index))
    return;
  const StandIn &standIn = StandInAt(index);
  StandInCall call{};
  uc_reg_read(m.uc, UC_X86_REG_ESP, &call.stack);
  if (!ReadGuest(m, call.stack + 4, call.arguments, 4u * standIn.argumentCount)) {
    StopWithFault(m, std::string("the stack is unreadable in a call of ") + standIn.name);
    return;
  }
  StandInCalls &calls = StateOf<StandInCalls>(m);
  ++calls.counts[index];
  uint32_t result;
  if (calls.failCountdown[index] && --calls.failCountdown[index] == 0) {
    result = standIn.failureResult;
    ++calls.injectedFailures;
    if (m.log.enabled)
      call.detail = "failure injected";
  } else {
    result = standIn.handler(m, call);
  }
  uc_reg_write(m.uc, UC_X86_REG_EAX, &result);
  if (m.log.enabled)
    m.log.calls.push_back(
        {standIn.name, CallArguments(call.arguments, static_cast<size_t>(standIn.argumentCount)),
         result, std::move(call.detail)});
}

uint32_t ResolveImport(const std::string &dll, const std::string &name) {
  int index = FindStandIn(dll, name);
  return index < 0 ? 0 : StandInAddress(static_cast<size_t>(index));
}

const char *StandInNameAt(uint32_t address) {
  size_t index = 0;
  return StandInAtAddress(address, &index) ? StandInAt(index).name : nullptr;
}

const ImportProvider kStandInProvider = {ResolveImport, StandInNameAt};

} // namespace

bool StartMachineWithStandIns(Machine &m, std::string *error) {
  if (!StartMachine(m, error))
    return false;
  uc_err err = uc_mem_map(m.uc, kThunkBase, kThunkSize, UC_PROT_READ | UC_PROT_EXEC);
  if (err != UC_ERR_OK) {
    *error = std::string("cannot map the stand-ins' thunks: ") + uc_strerror(err);
    return false;
  }
  std::vector<uint8_t> thunks(kThunkSize, 0xF4); // hlt
  for (size_t i = 0; i < StandInCount(); ++i) {
    uint8_t *stub = &thunks[StandInAddress(i) - kThunkBase];
    if (StandInAt(i).convention == Convention::Stdcall) {
      uint32_t pop = 4u * static_cast<uint32_t>(StandInAt(i).argumentCount);
      stub[0] = 0xC2; // ret pop
      stub[1] = static_cast<uint8_t>(pop);
      stub[2] = static_cast<uint8_t>(pop >> 8);
    } else {
      stub[0] = 0xC3; // ret
    }
  }
  uc_mem_write(m.uc, kThunkBase, thunks.data(), thunks.size());
  StandInCalls &calls = StateOf<StandInCalls>(m);
  calls.counts.assign(StandInCount(), 0);
  calls.failCountdown.assign(StandInCount(), 0);
  uc_hook hook;
  if (uc_hook_add(m.uc, &hook, UC_HOOK_CODE, reinterpret_cast<void *>(OnThunk), &m, kThunkBase,
                  StandInAddress(StandInCount()) - 1) != UC_ERR_OK) {
    *error = "cannot install the stand-in hook";
    return false;
  }
  m.imports = &kStandInProvider;
  return true;
}
