// A 16-colour image and its .bmp file form: the stored form of an RT_BITMAP resource (4 bits per
// pixel, bottom-up rows) behind a 14-byte file header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/artwork/artwork_design.h"

struct IndexedImage {
  int width = 0;
  int height = 0;
  uint32_t colourTable[16] = {}; // 0x00RRGGBB; entries past the greys stay black
  uint32_t coloursImportant = 0;
  std::vector<uint8_t> indices; // top row first, width * height entries
};

// An image of the given size filled with white, with the grey table in entries 0..7.
IndexedImage MakeWhiteImage(int width, int height, const uint32_t (&greys)[kGreyCount],
                            uint32_t coloursImportant);

inline uint8_t &PixelAt(IndexedImage &image, int x, int y) {
  return image.indices[static_cast<size_t>(y) * image.width + x];
}

// The whole .bmp file: file header, BITMAPINFOHEADER, 16-entry colour table, pixel rows.
std::vector<uint8_t> EncodeBmpFile(const IndexedImage &image);

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes, std::string *error);
