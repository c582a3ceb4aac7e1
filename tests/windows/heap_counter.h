// Counts the heap blocks a module holds, by pointing its heap imports at counting wrappers, and
// the debug lines it writes. Safe for calls from many threads at once.
#pragma once

#include <windows.h>

#include "tests/windows/import_hooks.h"

struct HeapCounter {
  static inline volatile LONG liveBlocks;
  static inline volatile LONG allocations;
  static inline volatile LONG debugLines;
  static inline decltype(&HeapAlloc) realAlloc;
  static inline decltype(&HeapReAlloc) realReAlloc;
  static inline decltype(&HeapFree) realFree;
  static inline decltype(&OutputDebugStringA) realDebug;

  static LPVOID WINAPI Alloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    LPVOID block = realAlloc(heap, flags, bytes);
    if (block)
      InterlockedIncrement(&liveBlocks);
    InterlockedIncrement(&allocations);
    return block;
  }
  static LPVOID WINAPI ReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes) {
    return realReAlloc(heap, flags, block, bytes); // the block lives on, moved or not
  }
  static BOOL WINAPI Free(HANDLE heap, DWORD flags, LPVOID block) {
    BOOL freed = realFree(heap, flags, block);
    if (freed)
      InterlockedDecrement(&liveBlocks);
    return freed;
  }
  static void WINAPI Debug(LPCSTR text) {
    InterlockedIncrement(&debugLines);
    realDebug(text);
  }

  // False when the module does not import one of them.
  static bool Install(HMODULE module) {
    realAlloc = reinterpret_cast<decltype(realAlloc)>(
        HookImport(module, "KERNEL32.dll", "HeapAlloc", reinterpret_cast<void *>(&Alloc)));
    realReAlloc = reinterpret_cast<decltype(realReAlloc)>(
        HookImport(module, "KERNEL32.dll", "HeapReAlloc", reinterpret_cast<void *>(&ReAlloc)));
    realFree = reinterpret_cast<decltype(realFree)>(
        HookImport(module, "KERNEL32.dll", "HeapFree", reinterpret_cast<void *>(&Free)));
    realDebug = reinterpret_cast<decltype(realDebug)>(
        HookImport(module, "KERNEL32.dll", "OutputDebugStringA", reinterpret_cast<void *>(&Debug)));
    return realAlloc && realReAlloc && realFree && realDebug;
  }
};
