// What the Windows test programs share besides their checks: a module's exports as typed
// function pointers, and whole files as bytes.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

// An export of the module as a typed function pointer (through void * to say the cast is meant).
template <class Function> Function Export(HMODULE module, const char *name) {
  return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

// The bytes of a file; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string &path) {
  std::string bytes;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}
