// The plug-in as a host sees it: the record GetPlgInfo fills, the types of the five exports, and
// a typed look-up of them in a loaded module. The module's own declarations (plugin/exports.h)
// are checked against these types, so a host and the module cannot drift apart.
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

// Every export uses the Windows calling convention: the callee removes its arguments.
typedef BOOL(WINAPI *DllMainFunction)(HINSTANCE instance, DWORD reason, LPVOID reserved);
typedef int32_t(WINAPI *GetPlgInfoFunction)(PlgInfo *info);
typedef int32_t(WINAPI *SetPlgCommentFunction)(HWND window);
typedef int32_t(WINAPI *SetCorpAddListFunction)(HWND comboBox);
// Only the low 16 bits of the ticket-number argument are read, as a signed number; the other
// arguments after the device context are not read at all.
typedef int32_t(WINAPI *DrawSeirikenFunction)(HDC dc, int32_t, int32_t, int32_t, int32_t,
                                              int32_t ticketNumberArgument, int32_t, int32_t);

// The exports of a loaded plug-in; each one the module lacks is null.
struct PluginExports {
  DllMainFunction dllMain;
  GetPlgInfoFunction getPlgInfo;
  SetPlgCommentFunction setPlgComment;
  SetCorpAddListFunction setCorpAddList;
  DrawSeirikenFunction drawSeiriken;
};

template <class Function> Function FindExport(HMODULE module, const char *name) {
  // Through void * to say that the cast from GetProcAddress's generic type is meant.
  return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

inline PluginExports FindPluginExports(HMODULE module) {
  return {FindExport<DllMainFunction>(module, "DllMain"),
          FindExport<GetPlgInfoFunction>(module, "GetPlgInfo"),
          FindExport<SetPlgCommentFunction>(module, "SetPlgComment"),
          FindExport<SetCorpAddListFunction>(module, "SetCorpAddList"),
          FindExport<DrawSeirikenFunction>(module, "DrawSeiriken")};
}
