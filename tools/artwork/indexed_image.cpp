#include "tools/artwork/indexed_image.h"

#include <cstdio>

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kColourTableSize = 16 * 4;
constexpr int32_t kPixelsPerMetre = 2835; // 72 dots per inch

void Put16(std::vector<uint8_t> &out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t> &out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

} // namespace

IndexedImage MakeWhiteImage(int width, int height, const uint32_t (&greys)[kGreyCount],
                            uint32_t coloursImportant) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  for (int i = 0; i < kGreyCount; ++i)
    image.colourTable[i] = greys[i];
  image.coloursImportant = coloursImportant;
  image.indices.assign(static_cast<size_t>(width) * height, kWhite);
  return image;
}

std::vector<uint8_t> EncodeBmpFile(const IndexedImage &image) {
  const uint32_t stride = (static_cast<uint32_t>(image.width) * 4 + 31) / 32 * 4;
  const uint32_t imageSize = stride * image.height;
  const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + kColourTableSize;
  std::vector<uint8_t> out;
  out.reserve(pixelOffset + imageSize);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  Put32(out, pixelOffset + imageSize);
  Put32(out, 0);
  Put32(out, pixelOffset);
  // BITMAPINFOHEADER: positive height, so the rows are stored bottom-up.
  Put32(out, kInfoHeaderSize);
  Put32(out, image.width);
  Put32(out, image.height);
  Put16(out, 1); // planes
  Put16(out, 4); // bits per pixel
  Put32(out, 0); // BI_RGB
  Put32(out, imageSize);
  Put32(out, kPixelsPerMetre);
  Put32(out, kPixelsPerMetre);
  Put32(out, 16); // colours used
  Put32(out, image.coloursImportant);
  for (uint32_t colour : image.colourTable)
    Put32(out, colour & 0xFFFFFF); // blue, green, red, 0
  for (int y = image.height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < image.width; x += 2) {
      const uint8_t left = image.indices[static_cast<size_t>(y) * image.width + x];
      const uint8_t right =
          x + 1 < image.width ? image.indices[static_cast<size_t>(y) * image.width + x + 1] : 0;
      out.push_back(static_cast<uint8_t>(left << 4 | right));
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes,
                    std::string *error) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) {
    *error = path + ": cannot create";
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    *error = path + ": write failed";
    return false;
  }
  return true;
}
