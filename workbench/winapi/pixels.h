// A picture as the workbench holds it: a bitmap's, an image's or a device context's pixels.
#pragma once

#include <cstdint>
#include <vector>

// Pixels are 0xFFRRGGBB (opaque), top row first.
struct Pixels {
  int32_t width;
  int32_t height;
  std::vector<uint32_t> data;
};
