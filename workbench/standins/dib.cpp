#include "workbench/standins/dib.h"

#include <algorithm>

#include "tools/png/bmp_file.h"
#include "workbench/pe/byte_reader.h"

namespace {

// A resource's own header, at its offset 0; the colour table and the pixel rows follow it.
struct BitmapInfoHeader {
  uint32_t size;         // 0x00 of this header; longer versions add fields after 0x28
  int32_t width;         // 0x04
  int32_t height;        // 0x08 negative for top-down rows
  uint16_t planes;       // 0x0C
  uint16_t bitCount;     // 0x0E bits per pixel
  uint32_t compression;  // 0x10
  uint32_t sizeImage;    // 0x14
  int32_t xPelsPerMeter; // 0x18
  int32_t yPelsPerMeter; // 0x1C
  uint32_t clrUsed;      // 0x20 colour table entries; 0 means all that bitCount allows
  uint32_t clrImportant; // 0x24
};
static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER");

// What a .bmp file puts before the info header; packed, as in the file.
struct __attribute__((packed)) BitmapFileHeader {
  uint16_t type;      // 0x00 "BM"
  uint32_t size;      // 0x02 of the whole file
  uint16_t reserved1; // 0x06
  uint16_t reserved2; // 0x08
  uint32_t offBits;   // 0x0A file offset of the pixel rows
};
static_assert(sizeof(BitmapFileHeader) == 14, "BITMAPFILEHEADER");
const uint16_t kBitmapFileType = 0x4D42; // "BM"

} // namespace

// A resource is a .bmp file less its file header: give it one back and decode it with the
// project's BMP reader, which checks every size against the bytes.
bool DecodeBitmapResource(const std::vector<uint8_t> &dib, Pixels *pixels, std::string *error) {
  BitmapInfoHeader info;
  if (!ReadAt(dib, 0, &info)) {
    *error = "bitmap resource has no BITMAPINFOHEADER";
    return false;
  }
  uint64_t colours = info.bitCount <= 8 ? (info.clrUsed ? info.clrUsed : 1u << info.bitCount) : 0;
  uint64_t pixelsAt = sizeof(BitmapFileHeader) + uint64_t{info.size} + colours * 4;
  uint64_t fileSize = sizeof(BitmapFileHeader) + dib.size();
  if (pixelsAt > fileSize) {
    *error = "bitmap resource is shorter than its header and colour table";
    return false;
  }
  std::vector<uint8_t> file(fileSize, 0);
  WriteAt(file, 0,
          BitmapFileHeader{kBitmapFileType, static_cast<uint32_t>(fileSize), 0, 0,
                           static_cast<uint32_t>(pixelsAt)});
  std::copy(dib.begin(), dib.end(), file.begin() + sizeof(BitmapFileHeader));
  BmpImage image;
  if (!DecodeBmp(file, &image, error))
    return false;
  pixels->width = image.width;
  pixels->height = image.height < 0 ? -image.height : image.height;
  pixels->data = std::move(image.pixels);
  return true;
}
