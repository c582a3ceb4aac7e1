// Whole files as bytes, for the Windows test programs.
#pragma once

#include <cstdio>
#include <string>

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
