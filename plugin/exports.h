// The plug-in's exported functions, exported by undecorated name with the types hosts call them
// through (plugin/plugin_interface.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "plugin/plugin_interface.h"

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

// Each export has exactly the type a host calls it through.
static_assert(std::is_same<decltype(&DllMain), DllMainFunction>::value, "DllMain");
static_assert(std::is_same<decltype(&GetPlgInfo), GetPlgInfoFunction>::value, "GetPlgInfo");
static_assert(std::is_same<decltype(&SetPlgComment), SetPlgCommentFunction>::value,
              "SetPlgComment");
static_assert(std::is_same<decltype(&SetCorpAddList), SetCorpAddListFunction>::value,
              "SetCorpAddList");
static_assert(std::is_same<decltype(&DrawSeiriken), DrawSeirikenFunction>::value, "DrawSeiriken");
