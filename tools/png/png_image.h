// Writes 32-bit pixels as a PNG file. The one PNG writer of the project: bmp2png uses it for the
// pictures that Windows programs save as BMP, and Linux hosts link it directly.
#pragma once

#include <cstdint>
#include <string>

// Pixel layout: `height` rows of `width` pixels, top row first, no padding between rows; each
// pixel a uint32_t 0xAARRGGBB (alpha 0xFF is opaque). The file is 8-bit RGBA.
// Returns false and puts a readable reason in *error (when error is not null) if the picture is
// empty or too large, or the file cannot be written.
bool WritePngFile(const char *path, const uint32_t *pixels, int width, int height,
                  std::string *error);
