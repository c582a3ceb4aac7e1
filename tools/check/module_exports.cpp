#include "tools/check/module_exports.h"

ExportDirectory ReadExportDirectory(HMODULE module) {
  ExportDirectory directory = {};
  auto base = reinterpret_cast<const BYTE *>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  directory.entryPoint = nt->OptionalHeader.AddressOfEntryPoint;
  const IMAGE_DATA_DIRECTORY &entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (!entry.VirtualAddress || entry.Size < sizeof(IMAGE_EXPORT_DIRECTORY))
    return directory;
  auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + entry.VirtualAddress);
  directory.present = true;
  if (exports->Name)
    directory.moduleName = reinterpret_cast<const char *>(base + exports->Name);
  auto names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
  auto ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
  auto functions = reinterpret_cast<const DWORD *>(base + exports->AddressOfFunctions);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    WORD index = ordinals[i];
    directory.exports.push_back({reinterpret_cast<const char *>(base + names[i]),
                                 static_cast<unsigned>(exports->Base + index),
                                 index < exports->NumberOfFunctions ? functions[index] : 0});
  }
  return directory;
}
