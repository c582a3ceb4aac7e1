// Points one import of a loaded module at a function of the test's own, by rewriting the
// module's import address table: the test then sees every call the module makes to it.
#pragma once

#include <windows.h>

#include <cstring>

// Replaces the module's import of dll!function with replacement; returns the original, or null
// when the module does not import it.
inline void *HookImport(HMODULE module, const char *dll, const char *function, void *replacement) {
  auto base = reinterpret_cast<unsigned char *>(module);
  auto dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
  auto nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
  for (; descriptor->Name; ++descriptor) {
    if (lstrcmpiA(reinterpret_cast<char *>(base + descriptor->Name), dll) != 0)
      continue;
    auto names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + descriptor->OriginalFirstThunk);
    auto slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
        continue;
      auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char *>(byName->Name), function) != 0)
        continue;
      DWORD protection;
      VirtualProtect(&slots->u1.Function, sizeof(void *), PAGE_READWRITE, &protection);
      void *original = reinterpret_cast<void *>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(void *), protection, &protection);
      return original;
    }
  }
  return nullptr;
}
