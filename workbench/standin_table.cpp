#include <strings.h>

#include "workbench/standins.h"

const StandIn kStandIns[] = {
    {"kernel32.dll", "GetProcessHeap", 0, Convention::Stdcall, StandInGetProcessHeap},
    {"kernel32.dll", "HeapAlloc", 3, Convention::Stdcall, StandInHeapAlloc},
    {"kernel32.dll", "HeapReAlloc", 4, Convention::Stdcall, StandInHeapReAlloc},
    {"kernel32.dll", "HeapFree", 3, Convention::Stdcall, StandInHeapFree},
    {"kernel32.dll", "InitializeCriticalSection", 1, Convention::Stdcall,
     StandInInitializeCriticalSection},
    {"kernel32.dll", "EnterCriticalSection", 1, Convention::Stdcall, StandInEnterCriticalSection},
    {"kernel32.dll", "LeaveCriticalSection", 1, Convention::Stdcall, StandInLeaveCriticalSection},
    {"kernel32.dll", "OutputDebugStringA", 1, Convention::Stdcall, StandInOutputDebugStringA},
    {"kernel32.dll", "CompareStringA", 6, Convention::Stdcall, StandInCompareStringA},
    {"kernel32.dll", "lstrlenA", 1, Convention::Stdcall, StandInLstrlenA},
    {"kernel32.dll", "RtlMoveMemory", 3, Convention::Stdcall, StandInRtlMoveMemory},
    {"user32.dll", "CharUpperA", 1, Convention::Stdcall, StandInCharUpperA},
    {"user32.dll", "wsprintfA", 2, Convention::CdeclVariadic, StandInWsprintfA},
    {"user32.dll", "SetWindowTextA", 2, Convention::Stdcall, StandInSetWindowTextA},
    {"user32.dll", "SendMessageA", 4, Convention::Stdcall, StandInSendMessageA},
    {"user32.dll", "LoadBitmapA", 2, Convention::Stdcall, StandInLoadBitmapA},
    {"gdi32.dll", "DeleteObject", 1, Convention::Stdcall, StandInDeleteObject},
    {"comctl32.dll", "ImageList_Create", 5, Convention::Stdcall, StandInImageListCreate},
    {"comctl32.dll", "ImageList_Add", 3, Convention::Stdcall, StandInImageListAdd},
    {"comctl32.dll", "ImageList_Draw", 6, Convention::Stdcall, StandInImageListDraw},
    {"comctl32.dll", "ImageList_Destroy", 1, Convention::Stdcall, StandInImageListDestroy},
};
const size_t kStandInCount = sizeof kStandIns / sizeof kStandIns[0];

const StandIn *FindStandIn(const std::string &dll, const std::string &name) {
  for (size_t i = 0; i < kStandInCount; ++i)
    if (strcasecmp(kStandIns[i].dll, dll.c_str()) == 0 && name == kStandIns[i].name)
      return &kStandIns[i];
  return nullptr;
}
