#include "tools/view/guarded_call.h"

#include "common/export_call.h"
#include "common/module_of_address.h"
#include "tools/view/ui_text.h"

namespace {

// One job's record, written by its own thread (and by the exception filter on that thread), read
// by the window's thread once the job has ended.
struct JobState {
  GuardedJob job;
  void *context;
  volatile LONG calls; // calls begun and ended, for telling a slow job from a hung one
  CallOutcome outcome;
};

DWORD jobSlot = TLS_OUT_OF_INDEXES;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter;

// On a job's thread an exception nothing handled ends that thread alone, with its record kept;
// on any other thread it goes on to the usual handling.
LONG WINAPI EndJobOnException(EXCEPTION_POINTERS *pointers) {
  auto *state = static_cast<JobState *>(TlsGetValue(jobSlot));
  if (!state)
    return previousFilter ? previousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
  state->outcome.kind = CallOutcome::Faulted;
  state->outcome.code = pointers->ExceptionRecord->ExceptionCode;
  state->outcome.address = pointers->ExceptionRecord->ExceptionAddress;
  ExitThread(1);
}

DWORD WINAPI JobThread(void *parameter) {
  auto *state = static_cast<JobState *>(parameter);
  TlsSetValue(jobSlot, state);
  state->job(state->context);
  return 0;
}

const wchar_t *ExceptionName(DWORD code) {
  switch (code) {
  case EXCEPTION_ACCESS_VIOLATION:
    return L"access violation";
  case EXCEPTION_ILLEGAL_INSTRUCTION:
    return L"illegal instruction";
  case EXCEPTION_INT_DIVIDE_BY_ZERO:
    return L"integer division by zero";
  case EXCEPTION_STACK_OVERFLOW:
    return L"stack overflow";
  case EXCEPTION_PRIV_INSTRUCTION:
    return L"privileged instruction";
  case EXCEPTION_BREAKPOINT:
    return L"breakpoint";
  default:
    return L"exception";
  }
}

// "NAME+0x1234" for an address inside a loaded module, else the bare address.
std::wstring ModuleAndOffset(const void *address) {
  std::wstring name;
  uintptr_t offset;
  if (!ModuleOfAddress(address, &name, &offset))
    return Format(L"%p", address);
  return Format(L"%ls+0x%lx", name.c_str(), static_cast<unsigned long>(offset));
}

// An export's name (plain ASCII) as wide text.
std::wstring Widen(const char *name) {
  std::wstring wide;
  for (const char *c = name ? name : "?"; *c; ++c)
    wide += static_cast<wchar_t>(*c);
  return wide;
}

std::wstring CallName(const CallOutcome &outcome) {
  std::wstring name = Widen(outcome.call);
  if (outcome.ticket != NoTicket)
    name += Format(L" (%lld)", static_cast<long long>(outcome.ticket));
  return name;
}

} // namespace

CallOutcome RunGuarded(GuardedJob job, void *context) {
  if (jobSlot == TLS_OUT_OF_INDEXES) {
    jobSlot = TlsAlloc();
    previousFilter = SetUnhandledExceptionFilter(EndJobOnException);
  }
  auto *state = new JobState{job, context, 0, {}};
  state->outcome.ticket = NoTicket;
  HANDLE thread = CreateThread(nullptr, 0, JobThread, state, 0, nullptr);
  if (!thread) {
    // No thread to spare: the job runs here, unguarded, rather than not at all.
    TlsSetValue(jobSlot, state);
    job(context);
    TlsSetValue(jobSlot, nullptr);
    CallOutcome outcome = state->outcome;
    delete state;
    return outcome;
  }
  LONG seen = -1;
  while (WaitForSingleObject(thread, CallTimeLimitSeconds * 1000) == WAIT_TIMEOUT) {
    LONG calls = state->calls;
    if (calls == seen) {
      // The thread, its record and the job's context stay: the call may return one day.
      CloseHandle(thread);
      CallOutcome hung = state->outcome;
      hung.kind = CallOutcome::Hung;
      return hung;
    }
    seen = calls;
  }
  CloseHandle(thread);
  CallOutcome outcome = state->outcome;
  delete state;
  return outcome;
}

void EnterPluginCall(const char *name, int64_t ticket) {
  auto *state = static_cast<JobState *>(TlsGetValue(jobSlot));
  state->outcome.call = name;
  state->outcome.ticket = ticket;
  InterlockedIncrement(&state->calls);
}

uint32_t CallPlugin(const char *name, const void *function, std::initializer_list<uintptr_t> args,
                    int64_t ticket) {
  auto *state = static_cast<JobState *>(TlsGetValue(jobSlot));
  uintptr_t a[8] = {};
  uint32_t count = 0;
  for (uintptr_t value : args)
    if (count < 8)
      a[count++] = value;
  EnterPluginCall(name, ticket);
  int32_t drift = 0;
  uint32_t result = CallWindowsExport(function, a, count, &drift);
  InterlockedIncrement(&state->calls);
  if (drift != 0 && state->outcome.kind == CallOutcome::Returned) {
    state->outcome.kind = CallOutcome::StackOff;
    state->outcome.driftCall = name;
    state->outcome.drift = drift;
  }
  return result;
}

std::wstring DescribeOutcome(const CallOutcome &outcome) {
  switch (outcome.kind) {
  case CallOutcome::Faulted:
    return Format(Say(Text::Faulted), outcome.code, ExceptionName(outcome.code),
                  CallName(outcome).c_str(), ModuleAndOffset(outcome.address).c_str());
  case CallOutcome::Hung:
    return Format(Say(Text::Hung), CallName(outcome).c_str(), CallTimeLimitSeconds);
  case CallOutcome::StackOff:
    return Format(Say(Text::StackOff), Widen(outcome.driftCall).c_str(), outcome.drift);
  default:
    return L"";
  }
}
