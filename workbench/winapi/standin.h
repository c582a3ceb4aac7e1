// The Windows functions the workbench stands in for, kept as data: DLL, name, argument count,
// calling convention, handler, and whether and how a call can be made to fail. They are the
// machine's import provider, and keep their state in the machine (StateOf). A handler reads its
// arguments, acts on the machine's models and returns the value for EAX; the thunk then removes the
// arguments as the convention says. Each family's file (heap.cpp, gdi.cpp, ...) holds its rows of
// the table beside its handlers: adding a stand-in is adding a row and its handler there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "workbench/emulator/machine.h"

enum class Convention {
  Stdcall,       // the callee removes argumentCount * 4 bytes
  CdeclVariadic, // the caller removes its arguments; more may follow the fixed ones
};

// The most fixed arguments a stand-in may take: its call's arguments are read into an array of
// this size, and the call log keeps as many.
constexpr int kStandInArgumentLimit = 8;
static_assert(kStandInArgumentLimit <= sizeof(CallArguments::values) / sizeof(uint32_t),
              "the call log keeps every fixed argument");

struct StandInCall {
  uint32_t arguments[kStandInArgumentLimit]; // the fixed arguments
  uint32_t stack;     // ESP at entry: the return address; arguments follow it
  std::string detail; // what the call read or wrote, for the call log
};

typedef uint32_t (*StandInHandler)(Machine &m, StandInCall &call);

// A row's argument count, checked when the row is compiled: a row cannot declare more arguments
// than StandInCall holds.
template <int Count> struct Arguments {
  static_assert(Count >= 0 && Count <= kStandInArgumentLimit,
                "a stand-in takes at most kStandInArgumentLimit fixed arguments");
};

struct StandIn {
  template <int Count>
  constexpr StandIn(const char *dll, const char *name, Arguments<Count>, Convention convention,
                    StandInHandler handler, bool canFail, uint32_t failureResult)
      : dll(dll), name(name), argumentCount(Count), convention(convention), handler(handler),
        canFail(canFail), failureResult(failureResult) {}

  const char *dll;
  const char *name;
  const int argumentCount;
  Convention convention;
  StandInHandler handler;
  bool canFail;           // failure injection applies: the result below, the handler not run
  uint32_t failureResult; // what Windows returns when the function fails
};

// Per stand-in, by its index in the table: calls made so far, and a countdown that makes a
// chosen call fail (0: none armed); and the failures injected so far.
struct StandInCalls {
  std::vector<uint64_t> counts;
  std::vector<uint32_t> failCountdown;
  uint64_t injectedFailures = 0;
};

// One family's rows of the table.
struct StandInFamily {
  const StandIn *rows;
  size_t count;
};
template <size_t N> constexpr StandInFamily FamilyOf(const StandIn (&rows)[N]) {
  return {rows, N};
}

// The whole table, the families' rows one after another, in the order of the thunks.
size_t StandInCount();
const StandIn &StandInAt(size_t index);

// Where the guest calls a stand-in: its thunk, at kThunkBase + kThunkStride * its index; and the
// stand-in whose thunk starts at an address, false for any other address.
uint32_t StandInAddress(size_t index);
bool StandInAtAddress(uint32_t address, size_t *index);

// Starts the machine (StartMachine) and installs the stand-ins: maps the thunks and the hook that
// runs a stand-in's handler when the guest calls it, and makes the table the machine's import
// provider. False with a message when Unicorn refuses.
bool StartMachineWithStandIns(Machine &m, std::string *error);

// The index of the stand-in for dll!name (DLL name compared without case), or -1.
int FindStandIn(const std::string &dll, const std::string &name);

// Failure injection: the nth call of the named stand-in from now on (1 = the next) fails the way
// Windows reports that function's failure, and nothing else happens in it. False when no
// stand-in of that name can be made to fail.
bool FailNthCall(Machine &m, const std::string &name, uint32_t nth);
// The names of the stand-ins that can be made to fail, comma-separated, in table order.
std::string FailingStandInNames();
// Calls of the named stand-in made so far.
uint64_t CallCount(Machine &m, const std::string &name);
// Calls failed by injection so far.
uint64_t InjectedFailures(Machine &m);
