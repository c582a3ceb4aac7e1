#include "workbench/winapi/dib.h"

#include <algorithm>

#include "common/bmp_file.h"
#include "common/bmp_layout.h"
#include "common/byte_reader.h"

// A resource is a .bmp file less its file header: give it one back and decode it with the
// project's BMP reader, which checks every size against the bytes.
bool DecodeBitmapResource(const std::vector<uint8_t> &dib, Pixels *pixels, std::string *error) {
  BmpInfoHeader info;
  if (!ReadAt(dib, 0, &info)) {
    *error = "bitmap resource has no BITMAPINFOHEADER";
    return false;
  }
  uint64_t colours =
      info.bitCount <= 8 ? (info.coloursUsed ? info.coloursUsed : 1u << info.bitCount) : 0;
  uint64_t pixelsAt = sizeof(BmpFileHeader) + uint64_t{info.size} + colours * 4;
  uint64_t fileSize = sizeof(BmpFileHeader) + dib.size();
  if (pixelsAt > fileSize) {
    *error = "bitmap resource is shorter than its header and colour table";
    return false;
  }
  std::vector<uint8_t> file(fileSize, 0);
  WriteAt(file, 0,
          BmpFileHeader{kBmpFileType, static_cast<uint32_t>(fileSize), 0, 0,
                        static_cast<uint32_t>(pixelsAt)});
  std::copy(dib.begin(), dib.end(), file.begin() + sizeof(BmpFileHeader));
  BmpImage image;
  if (!DecodeBmp(file, &image, error))
    return false;
  pixels->width = image.width;
  pixels->height = image.height < 0 ? -image.height : image.height;
  pixels->data = std::move(image.pixels);
  return true;
}
