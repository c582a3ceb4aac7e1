#include "tools/artwork/indexed_image.h"

#include <cstdio>

#include "common/bmp_layout.h"
#include "common/byte_reader.h"

namespace {

constexpr uint32_t kColourTableAt = sizeof(BmpFileHeader) + sizeof(BmpInfoHeader);
constexpr uint32_t kColourTableSize = 16 * 4;
constexpr int32_t kPixelsPerMetre = 2835; // 72 dots per inch

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
  const uint32_t pixelOffset = kColourTableAt + kColourTableSize;
  std::vector<uint8_t> out(pixelOffset);
  out.reserve(pixelOffset + imageSize);
  WriteAt(out, 0, BmpFileHeader{kBmpFileType, pixelOffset + imageSize, 0, 0, pixelOffset});
  // Positive height, so the rows are stored bottom-up; four bits per pixel, sixteen colours.
  WriteAt(out, sizeof(BmpFileHeader),
          BmpInfoHeader{sizeof(BmpInfoHeader), image.width, image.height, 1, 4, kBmpUncompressed,
                        imageSize, kPixelsPerMetre, kPixelsPerMetre, 16, image.coloursImportant});
  for (size_t i = 0; i < 16; ++i)
    WriteAt(out, kColourTableAt + i * 4, image.colourTable[i] & 0xFFFFFF); // blue, green, red, 0
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
