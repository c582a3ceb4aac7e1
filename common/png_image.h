// Writes pictures as PNG files. The one PNG writer of the project: bmp2png uses it for the
// pictures that Windows programs save as BMP, and Linux hosts link it directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixel layout: `height` rows of `width` pixels, top row first, no padding between rows; each
// pixel a uint32_t 0xAARRGGBB (alpha 0xFF is opaque). The file is 8-bit RGBA.
// Returns false and puts a readable reason in *error (when error is not null) if the picture is
// empty or too large, or the file cannot be written.
bool WritePngFile(const char *path, const uint32_t *pixels, int width, int height,
                  std::string *error);

// Writes a palette picture: one byte per pixel, an index into `colours` (0x00RRGGBB, 1 to 256 of
// them). The file has as few bits per pixel as the palette needs: a black-and-white picture
// becomes a one-bit PNG, as small as what a one-bit printer receives. False, with a reason, for
// an index beyond the palette and as WritePngFile does.
bool WriteIndexedPngFile(const char *path, const uint8_t *indices,
                         const std::vector<uint32_t> &colours, int width, int height,
                         std::string *error);
