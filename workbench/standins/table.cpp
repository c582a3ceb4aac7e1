#include <strings.h>

#include "workbench/standins/standin.h"

const StandIn kStandIns[] = {
    {"kernel32.dll", "GetProcessHeap", 0, Convention::Stdcall, StandInGetProcessHeap, false, 0},
    {"kernel32.dll", "HeapAlloc", 3, Convention::Stdcall, StandInHeapAlloc, true, 0},
    {"kernel32.dll", "HeapReAlloc", 4, Convention::Stdcall, StandInHeapReAlloc, true, 0},
    {"kernel32.dll", "HeapFree", 3, Convention::Stdcall, StandInHeapFree, false, 0},
    {"kernel32.dll", "InitializeCriticalSection", 1, Convention::Stdcall,
     StandInInitializeCriticalSection, false, 0},
    {"kernel32.dll", "EnterCriticalSection", 1, Convention::Stdcall, StandInEnterCriticalSection,
     false, 0},
    {"kernel32.dll", "LeaveCriticalSection", 1, Convention::Stdcall, StandInLeaveCriticalSection,
     false, 0},
    {"kernel32.dll", "OutputDebugStringA", 1, Convention::Stdcall, StandInOutputDebugStringA, false,
     0},
    {"kernel32.dll", "CompareStringA", 6, Convention::Stdcall, StandInCompareStringA, false, 0},
    {"kernel32.dll", "lstrlenA", 1, Convention::Stdcall, StandInLstrlenA, false, 0},
    {"kernel32.dll", "RtlMoveMemory", 3, Convention::Stdcall, StandInRtlMoveMemory, false, 0},
    {"user32.dll", "CharUpperA", 1, Convention::Stdcall, StandInCharUpperA, false, 0},
    {"user32.dll", "wsprintfA", 2, Convention::CdeclVariadic, StandInWsprintfA, false, 0},
    {"user32.dll", "SetWindowTextA", 2, Convention::Stdcall, StandInSetWindowTextA, false, 0},
    {"user32.dll", "SendMessageA", 4, Convention::Stdcall, StandInSendMessageA, false, 0},
    {"user32.dll", "LoadBitmapA", 2, Convention::Stdcall, StandInLoadBitmapA, true, 0},
    {"gdi32.dll", "DeleteObject", 1, Convention::Stdcall, StandInDeleteObject, false, 0},
    {"comctl32.dll", "ImageList_Create", 5, Convention::Stdcall, StandInImageListCreate, true, 0},
    {"comctl32.dll", "ImageList_Add", 3, Convention::Stdcall, StandInImageListAdd, true,
     0xFFFFFFFF},
    {"comctl32.dll", "ImageList_Draw", 6, Convention::Stdcall, StandInImageListDraw, false, 0},
    {"comctl32.dll", "ImageList_Destroy", 1, Convention::Stdcall, StandInImageListDestroy, false,
     0},
};
const size_t kStandInCount = sizeof kStandIns / sizeof kStandIns[0];

const StandIn *FindStandIn(const std::string &dll, const std::string &name) {
  for (size_t i = 0; i < kStandInCount; ++i)
    if (strcasecmp(kStandIns[i].dll, dll.c_str()) == 0 && name == kStandIns[i].name)
      return &kStandIns[i];
  return nullptr;
}

namespace {

int StandInIndex(const std::string &name) {
  for (size_t i = 0; i < kStandInCount; ++i)
    if (name == kStandIns[i].name)
      return static_cast<int>(i);
  return -1;
}

} // namespace

bool FailNthCall(Machine &m, const std::string &name, uint32_t nth) {
  int index = StandInIndex(name);
  if (index < 0 || !kStandIns[index].canFail)
    return false;
  m.failCountdown[static_cast<size_t>(index)] = nth;
  return true;
}

uint64_t CallCount(const Machine &m, const std::string &name) {
  int index = StandInIndex(name);
  return index < 0 ? 0 : m.callCounts[static_cast<size_t>(index)];
}
