#include "plugin/exports.h"
#include "text/text_store.h"

HINSTANCE ModuleHandle;

namespace {
// Set by the first process attach. A host that calls the exported DllMain with a second attach
// must not re-initialise a live text store: its lock may be held and its texts are still live.
bool Attached;
} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH)
    return 0;
  if (!Attached) {
    InitTextStore();
    ModuleHandle = instance;
    Attached = true;
  }
  return 1;
}
