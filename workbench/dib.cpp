#include "workbench/dib.h"

#include <algorithm>

#include "tools/png/bmp_file.h"

namespace {

void PutU32(std::vector<uint8_t> &b, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

// A resource is a .bmp file less its 14-byte file header: give it one back and decode it with
// the project's BMP reader.
bool DecodeBitmapResource(const std::vector<uint8_t> &dib, Pixels *pixels, std::string *error) {
  if (dib.size() < 40) {
    *error = "bitmap resource has no BITMAPINFOHEADER";
    return false;
  }
  uint32_t headerSize = static_cast<uint32_t>(dib[0] | dib[1] << 8 | dib[2] << 16 | dib[3] << 24);
  uint32_t bits = static_cast<uint32_t>(dib[14] | dib[15] << 8);
  uint32_t used = static_cast<uint32_t>(dib[32] | dib[33] << 8 | dib[34] << 16 | dib[35] << 24);
  uint32_t colours = bits <= 8 ? (used ? used : 1u << bits) : 0;
  std::vector<uint8_t> file(14 + dib.size(), 0);
  file[0] = 'B';
  file[1] = 'M';
  PutU32(file, 2, static_cast<uint32_t>(14 + dib.size()));
  PutU32(file, 10, 14 + headerSize + colours * 4);
  std::copy(dib.begin(), dib.end(), file.begin() + 14);
  BmpImage image;
  if (!DecodeBmp(file, &image, error))
    return false;
  pixels->width = image.width;
  pixels->height = image.height < 0 ? -image.height : image.height;
  pixels->data = std::move(image.pixels);
  return true;
}
