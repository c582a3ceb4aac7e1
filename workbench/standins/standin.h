// The Windows functions the workbench stands in for, kept as data: DLL, name, argument count,
// calling convention, handler, and whether and how a call can be made to fail. A handler reads its
// arguments, acts on the machine's models and returns the value for EAX; the thunk then removes the
// arguments as the convention says.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/emulator/machine.h"

enum class Convention {
  Stdcall,       // the callee removes argumentCount * 4 bytes
  CdeclVariadic, // the caller removes its arguments; more may follow the fixed ones
};

struct StandInCall {
  uint32_t arguments[8]; // the fixed arguments
  uint32_t stack;        // ESP at entry: the return address; arguments follow it
  std::string detail;    // what the call read or wrote, for the call log
};

typedef uint32_t (*StandInHandler)(Machine &m, StandInCall &call);

struct StandIn {
  const char *dll;
  const char *name;
  int argumentCount;
  Convention convention;
  StandInHandler handler;
  bool canFail;           // failure injection applies: the result below, the handler not run
  uint32_t failureResult; // what Windows returns when the function fails
};

// The whole list, in the order of the thunks.
extern const StandIn kStandIns[];
extern const size_t kStandInCount;

// Maps a thunk for each stand-in at kThunkBase + kThunkStride * its index, and the hook that runs
// its handler when the guest calls it. False with a message when Unicorn refuses.
bool InstallStandIns(Machine &m, std::string *error);

// The stand-in for dll!name (DLL name compared without case), or null.
const StandIn *FindStandIn(const std::string &dll, const std::string &name);

// Failure injection: the nth call of the named stand-in from now on (1 = the next) fails the way
// Windows reports that function's failure, and nothing else happens in it. False when no
// stand-in of that name can be made to fail.
bool FailNthCall(Machine &m, const std::string &name, uint32_t nth);
// Calls of the named stand-in made so far.
uint64_t CallCount(const Machine &m, const std::string &name);

// Handlers, by family.
// Heap (standin_heap.cpp).
uint32_t StandInGetProcessHeap(Machine &m, StandInCall &call);
uint32_t StandInHeapAlloc(Machine &m, StandInCall &call);
uint32_t StandInHeapReAlloc(Machine &m, StandInCall &call);
uint32_t StandInHeapFree(Machine &m, StandInCall &call);
// Critical sections (standin_sync.cpp).
uint32_t StandInInitializeCriticalSection(Machine &m, StandInCall &call);
uint32_t StandInEnterCriticalSection(Machine &m, StandInCall &call);
uint32_t StandInLeaveCriticalSection(Machine &m, StandInCall &call);
// Debug output (standin_debug.cpp).
uint32_t StandInOutputDebugStringA(Machine &m, StandInCall &call);
// Windows and controls (standin_windows.cpp).
uint32_t StandInSetWindowTextA(Machine &m, StandInCall &call);
uint32_t StandInSendMessageA(Machine &m, StandInCall &call);
// Bitmaps, image lists and device contexts (standin_gdi.cpp).
uint32_t StandInLoadBitmapA(Machine &m, StandInCall &call);
uint32_t StandInDeleteObject(Machine &m, StandInCall &call);
uint32_t StandInImageListCreate(Machine &m, StandInCall &call);
uint32_t StandInImageListAdd(Machine &m, StandInCall &call);
uint32_t StandInImageListDraw(Machine &m, StandInCall &call);
uint32_t StandInImageListDestroy(Machine &m, StandInCall &call);
// Strings and memory (standin_strings.cpp).
uint32_t StandInCompareStringA(Machine &m, StandInCall &call);
uint32_t StandInLstrlenA(Machine &m, StandInCall &call);
uint32_t StandInCharUpperA(Machine &m, StandInCall &call);
uint32_t StandInWsprintfA(Machine &m, StandInCall &call);
uint32_t StandInRtlMoveMemory(Machine &m, StandInCall &call);

// What the host and the tests read from the models.
// Heap: live block count, whether a live block starts at an address, and a report line for each
// live block whose guard bytes were overwritten (a write past its end).
size_t LiveHeapBlockCount(const Machine &m);
bool IsLiveHeapBlock(Machine &m, uint32_t address);
std::vector<std::string> CheckHeapGuards(Machine &m);
// Windows: new models of an edit control and a combo box; their handles.
uint32_t CreateEditModel(Machine &m);
uint32_t CreateComboBoxModel(Machine &m);
// Bitmaps: the pixels of a module's RT_BITMAP resource, decoded once; null with a message when
// there is none or it cannot be decoded.
std::shared_ptr<const Pixels> ModuleBitmap(LoadedModule &module, uint32_t id, std::string *error);
// Device contexts: a canvas of the given size filled with one colour; its handle.
uint32_t CreateCanvas(Machine &m, int32_t width, int32_t height, uint32_t fill);
// Critical sections entered and not left.
size_t HeldCriticalSections(const Machine &m);
