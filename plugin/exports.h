// The plug-in's exported functions and the record the host hands to GetPlgInfo. Exported by
// undecorated name with the Windows calling convention: the callee removes its arguments.
#pragma once

#include <windows.h>

#include <cstdint>

// The plug-in information record: fourteen 32-bit words, owned by the host.
struct PlgInfo {
  int32_t InfoCode;
  int32_t Width;
  int32_t Height;
  int32_t Reserved[11];
};
static_assert(sizeof(PlgInfo) == 56, "PlgInfo is fourteen 32-bit words");

// The module's instance handle, recorded at process attach; the bitmaps are loaded from it.
extern HINSTANCE ModuleHandle;

extern "C" {
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
int32_t WINAPI GetPlgInfo(PlgInfo *info);
int32_t WINAPI SetPlgComment(HWND window);
int32_t WINAPI SetCorpAddList(HWND comboBox);
int32_t WINAPI DrawSeiriken(HDC dc, int32_t, int32_t, int32_t, int32_t,
                            int32_t ticketNumberArgument, int32_t, int32_t);
}
