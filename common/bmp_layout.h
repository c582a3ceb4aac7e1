// The headers of a Windows BMP file as they lie in it, one record per layout: the offset of each
// field in its comment, the size and the offsets asserted. Read and write them with ReadAt and
// WriteAt (byte_reader.h). An RT_BITMAP resource is the same file less its file header.
#pragma once

#include <cstddef>
#include <cstdint>

// At file offset 0; packed, as in the file.
struct __attribute__((packed)) BmpFileHeader {
  uint16_t type;        // 0x00 kBmpFileType
  uint32_t size;        // 0x02 of the whole file
  uint16_t reserved1;   // 0x06
  uint16_t reserved2;   // 0x08
  uint32_t pixelOffset; // 0x0A file offset of the pixel rows
};
static_assert(sizeof(BmpFileHeader) == 14, "BITMAPFILEHEADER");
static_assert(offsetof(BmpFileHeader, size) == 0x02 && offsetof(BmpFileHeader, pixelOffset) == 0x0A,
              "BITMAPFILEHEADER fields");
const uint16_t kBmpFileType = 0x4D42; // "BM"

// After the file header; longer versions of it add fields after 0x28. The colour table follows.
struct BmpInfoHeader {
  uint32_t size;             // 0x00 of this header
  int32_t width;             // 0x04
  int32_t height;            // 0x08 negative for top-down rows
  uint16_t planes;           // 0x0C
  uint16_t bitCount;         // 0x0E bits per pixel
  uint32_t compression;      // 0x10 kBmpUncompressed
  uint32_t imageSize;        // 0x14
  int32_t xPelsPerMeter;     // 0x18
  int32_t yPelsPerMeter;     // 0x1C
  uint32_t coloursUsed;      // 0x20 colour table entries; 0 means all that bitCount allows
  uint32_t coloursImportant; // 0x24
};
static_assert(sizeof(BmpInfoHeader) == 40, "BITMAPINFOHEADER");
static_assert(offsetof(BmpInfoHeader, bitCount) == 0x0E &&
                  offsetof(BmpInfoHeader, coloursUsed) == 0x20,
              "BITMAPINFOHEADER fields");
const uint32_t kBmpUncompressed = 0; // BI_RGB
