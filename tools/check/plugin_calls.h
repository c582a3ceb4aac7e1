// The plug-in as a stage loads and calls it. Every call goes through CallExport, which names the
// call for the report, and on 32-bit Windows also measures the stack pointer around it: an
// export that does not remove its own arguments (or removes too many) breaks its host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "plugin/plugin_interface.h"
#include "tools/check/stage_output.h"

struct LoadedPlugin {
  HMODULE module;
  std::string path;
  // Each is null when the module does not export it.
  const void *dllMain, *getPlgInfo, *setPlgComment, *setCorpAddList, *drawSeiriken;
};

// Loads the plug-in; on failure, the loader's reason.
bool LoadPlugin(const std::string &path, LoadedPlugin &plugin, std::string *reason);

// Unloads it, so that its process detach is a call of its own, made while the stage still runs.
void UnloadPlugin(LoadedPlugin &plugin);

// Calls the export with up to eight arguments; gives its 32-bit result.
int32_t CallExport(const char *name, const void *function, std::initializer_list<uintptr_t> args,
                   int64_t ticket = NoTicket);

inline int32_t CallDraw(const LoadedPlugin &p, HDC dc, int32_t ticket, int32_t a2 = 0,
                        int32_t a3 = 0, int32_t a4 = 0, int32_t a5 = 0, int32_t a7 = 0,
                        int32_t a8 = 0) {
  auto word = [](int32_t v) { return static_cast<uintptr_t>(static_cast<uint32_t>(v)); };
  return CallExport("DrawSeiriken", p.drawSeiriken,
                    {reinterpret_cast<uintptr_t>(dc), word(a2), word(a3), word(a4), word(a5),
                     word(ticket), word(a7), word(a8)},
                    ticket);
}

// True on 32-bit x86, where the stack is measured.
bool MeasuresStack();
// The exports whose calls left the stack pointer elsewhere, with the distance, as one text;
// empty when every call so far was clean.
std::string StackFaults();
// Reports the stage's stack faults as a failure, if there were any.
void ReportStackFaults();
