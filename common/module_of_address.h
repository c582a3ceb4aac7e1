// Which loaded module an address lies in, for naming where a fault happened as "NAME+0x1234":
// the checker's report and the viewer's message both name it so.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The file name (without its folder) of the module holding `address`, and the address's offset
// in it; false when no loaded module holds it.
inline bool ModuleOfAddress(const void *address, std::wstring *name, uintptr_t *offset) {
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = {};
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const wchar_t *>(address), &module) ||
      !GetModuleFileNameW(module, path, MAX_PATH))
    return false;
  const wchar_t *file = path;
  for (const wchar_t *c = path; *c; ++c)
    if (*c == L'\\' || *c == L'/')
      file = c + 1;
  *name = file;
  *offset = static_cast<uintptr_t>(static_cast<const char *>(address) -
                                   reinterpret_cast<const char *>(module));
  return true;
}
