// The Windows functions the text and number code calls. On Windows they come from the system;
// the native build supplies stand-ins with the same names and signatures (native_winapi/), so the
// same code runs and can be observed on Linux.
#pragma once

#ifdef _WIN32
#include <windows.h>
// mingw-w64 turns RtlMoveMemory into memmove; the module calls kernel32's own export instead.
#ifdef RtlMoveMemory
#undef RtlMoveMemory
extern "C" __declspec(dllimport) void WINAPI
    RtlMoveMemory(void *destination, const void *source, SIZE_T length);
#endif
#else
#include "native_winapi/windows_standin.h"
#endif
