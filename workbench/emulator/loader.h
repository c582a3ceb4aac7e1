// Maps a 32-bit PE DLL into the machine the way the Windows loader does: headers and sections
// with their protections, base relocations when the preferred base is taken, and every import
// bound to the address the machine's import provider gives for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/emulator/machine.h"

// Loads the DLL at path; the index into m.modules, or -1 with a plain message: the file is
// missing, is not a 32-bit PE DLL, cannot be relocated, or imports functions the workbench does
// not provide (all of them named).
int LoadModule(Machine &m, const std::string &path, std::string *error);
// The same for a file's bytes already in memory; path names the module in messages and m.modules.
int LoadModuleBytes(Machine &m, const std::string &path, std::vector<uint8_t> bytes,
                    std::string *error);

// The guest address of a named export of a loaded module, or 0.
uint32_t ExportAddress(const Machine &m, int module, const std::string &name);
