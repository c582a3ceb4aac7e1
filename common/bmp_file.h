// Reads an uncompressed Windows BMP file (BITMAPFILEHEADER + BITMAPINFOHEADER or a later, longer
// info header) into its header fields, colour table and pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpImage {
  // File header.
  uint32_t fileSize = 0;    // as recorded in the header
  uint32_t pixelOffset = 0; // where the pixel rows start in the file
  // Info header, as stored.
  uint32_t headerSize = 0;
  int32_t width = 0;
  int32_t height = 0; // negative for top-down rows
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t coloursUsed = 0;
  uint32_t coloursImportant = 0;
  // Colour table entries as 0x00RRGGBB, as many as the header announces (none above 8 bits).
  std::vector<uint32_t> colourTable;
  // Pixels, top row first, |width| * |height| of them. For 1, 4 and 8 bits per pixel `indices`
  // holds each pixel's colour-table entry; `pixels` always holds 0xFFRRGGBB: a BMP's fourth byte
  // is left 0 by GDI, so every pixel is read as opaque.
  std::vector<uint8_t> indices;
  std::vector<uint32_t> pixels;
};

// Decodes the bytes of a whole .bmp file. Accepts 1, 4, 8, 24 and 32 bits per pixel with
// BI_RGB; rejects anything else, and any header whose sizes do not fit in the file, with a reason
// in *error.
bool DecodeBmp(const std::vector<uint8_t> &file, BmpImage *image, std::string *error);

// Reads the file at `path` whole and decodes it.
bool ReadBmpFile(const char *path, BmpImage *image, std::string *error);
