// Managed texts from and to byte strings, for tests and fuzz targets.
#pragma once

#include <string>

#include "text/text_ops.h"

// A managed text holding the given bytes, zero bytes included.
inline Text MakeText(const std::string &bytes) {
  Text t = AllocText(static_cast<int32_t>(bytes.size()));
  for (size_t i = 0; i < bytes.size() && i < static_cast<size_t>(TextLength(t)); ++i)
    t[i] = bytes[i];
  return t;
}

// The bytes of a text, then releases it.
inline std::string Take(Text t) {
  std::string bytes(t, static_cast<size_t>(TextLength(t)));
  ReleaseText(t);
  return bytes;
}
