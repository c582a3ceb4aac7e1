// Bitmaps as the workbench holds them, and RT_BITMAP resources decoded into them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixels are 0xFFRRGGBB (opaque), top row first.
struct Pixels {
  int32_t width;
  int32_t height;
  std::vector<uint32_t> data;
};

// Decodes an RT_BITMAP resource: a DIB stored without its file header. False with a message
// for a truncated or unsupported bitmap.
bool DecodeBitmapResource(const std::vector<uint8_t> &dib, Pixels *pixels, std::string *error);
