// The export directory of a loaded module, read from its image in memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ModuleExport {
  std::string name;
  unsigned ordinal;
  DWORD address; // relative to the module
};

struct ExportDirectory {
  bool present;
  std::string moduleName;
  std::vector<ModuleExport> exports; // the named ones, in the directory's order
  DWORD entryPoint;                  // relative to the module
};

ExportDirectory ReadExportDirectory(HMODULE module);
