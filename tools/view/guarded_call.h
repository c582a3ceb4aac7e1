// Plug-in calls that cannot take the viewer down. A job of calls runs on a thread of its own: an
// exception the plug-in raises ends that thread alone and is reported with the call it happened
// in; a call that does not return within the time limit is reported as a hang and its thread is
// left where it is; an export that leaves the stack pointer off is reported too (32-bit).
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

const int64_t NoTicket = INT64_MIN;
const int CallTimeLimitSeconds = 10;

struct CallOutcome {
  enum Kind { Returned, Faulted, Hung, StackOff } kind;
  const char *call; // the export under way, or the last one called
  int64_t ticket;   // the ticket number of that call, or NoTicket
  DWORD code;       // the exception's code
  const void *address;
  const char *driftCall; // the first export that left the stack pointer off
  int32_t drift;         // by how many bytes
};

using GuardedJob = void (*)(void *context);

// Runs job(context) on a thread of its own and waits while its calls keep returning. After a
// hang the thread may still write into `context` at any time: the caller must not free it then.
CallOutcome RunGuarded(GuardedJob job, void *context);

// Inside a job: calls an export of the plug-in with up to eight arguments, naming the call (and
// its ticket) for the outcome.
uint32_t CallPlugin(const char *name, const void *function, std::initializer_list<uintptr_t> args,
                    int64_t ticket = NoTicket);

// Inside a job: names a call made otherwise than through CallPlugin (LoadLibrary, which runs the
// module's DllMain).
void EnterPluginCall(const char *name, int64_t ticket);

// What went wrong, for the window; empty for a call that returned as a host expects.
std::wstring DescribeOutcome(const CallOutcome &outcome);
