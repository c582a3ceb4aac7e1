#include "common/bmp_file.h"

#include <fstream>
#include <iterator>

#include "common/bmp_layout.h"
#include "common/byte_reader.h"

namespace {

constexpr uint32_t kFileHeaderSize = sizeof(BmpFileHeader);
constexpr uint32_t kInfoHeaderSize = sizeof(BmpInfoHeader);
// Far beyond any picture of this project; keeps every size computation inside 64 bits.
constexpr int64_t kMaxSide = 1 << 15;

bool Fail(std::string *error, const std::string &text) {
  if (error)
    *error = text;
  return false;
}

// The file is at least as long as both headers.
void ReadHeaders(const std::vector<uint8_t> &file, BmpImage *image) {
  BmpFileHeader header;
  BmpInfoHeader info;
  ReadAt(file, 0, &header);
  ReadAt(file, kFileHeaderSize, &info);
  image->fileSize = header.size;
  image->pixelOffset = header.pixelOffset;
  image->headerSize = info.size;
  image->width = info.width;
  image->height = info.height;
  image->planes = info.planes;
  image->bitCount = info.bitCount;
  image->compression = info.compression;
  image->imageSize = info.imageSize;
  image->xPelsPerMeter = info.xPelsPerMeter;
  image->yPelsPerMeter = info.yPelsPerMeter;
  image->coloursUsed = info.coloursUsed;
  image->coloursImportant = info.coloursImportant;
}

} // namespace

bool DecodeBmp(const std::vector<uint8_t> &file, BmpImage *image, std::string *error) {
  *image = BmpImage();
  uint16_t type = 0;
  if (file.size() < kFileHeaderSize + kInfoHeaderSize || !ReadAt(file, 0, &type) ||
      type != kBmpFileType)
    return Fail(error, "not a BMP file");
  ReadHeaders(file, image);
  const uint32_t bits = image->bitCount;
  if (image->headerSize < kInfoHeaderSize || kFileHeaderSize + image->headerSize > file.size())
    return Fail(error, "info header size " + std::to_string(image->headerSize) + " not supported");
  if (image->compression != kBmpUncompressed)
    return Fail(error, "compressed BMP (compression " + std::to_string(image->compression) +
                           ") not supported");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    return Fail(error, std::to_string(bits) + " bits per pixel not supported");
  const int64_t width = image->width;
  const int64_t height = image->height < 0 ? -static_cast<int64_t>(image->height) : image->height;
  if (width <= 0 || height == 0 || width > kMaxSide || height > kMaxSide)
    return Fail(error, "picture size " + std::to_string(width) + " x " +
                           std::to_string(image->height) + " not supported");

  // Colour table: coloursUsed entries, or all 2^bits when it is 0.
  if (bits <= 8) {
    const uint32_t entries = image->coloursUsed ? image->coloursUsed : 1u << bits;
    if (entries > (1u << bits))
      return Fail(error, "colour table of " + std::to_string(entries) + " entries is too long");
    const size_t tableAt = kFileHeaderSize + image->headerSize;
    if (tableAt + entries * 4 > file.size())
      return Fail(error, "colour table runs past the end of the file");
    for (uint32_t i = 0, entry = 0; i < entries; ++i) {
      ReadAt(file, tableAt + i * 4, &entry);
      image->colourTable.push_back(entry & 0xFFFFFF);
    }
  }

  // Each stored row is padded to a multiple of 4 bytes.
  const int64_t stride = (width * bits + 31) / 32 * 4;
  if (image->pixelOffset > file.size() ||
      static_cast<int64_t>(file.size() - image->pixelOffset) < stride * height)
    return Fail(error, "pixel rows run past the end of the file");

  const bool bottomUp = image->height > 0;
  image->pixels.resize(static_cast<size_t>(width * height));
  if (bits <= 8)
    image->indices.resize(image->pixels.size());
  for (int64_t y = 0; y < height; ++y) {
    const size_t row =
        image->pixelOffset + static_cast<size_t>((bottomUp ? height - 1 - y : y) * stride);
    for (int64_t x = 0; x < width; ++x) {
      const size_t out = static_cast<size_t>(y * width + x);
      if (bits <= 8) {
        const int64_t bit = x * bits;
        const int shift = static_cast<int>(8 - bits - bit % 8); // leftmost pixel in the high bits
        const uint8_t index = (file[row + bit / 8] >> shift) & ((1u << bits) - 1);
        if (index >= image->colourTable.size())
          return Fail(error, "pixel refers to colour " + std::to_string(index) +
                                 " beyond the colour table");
        image->indices[out] = index;
        image->pixels[out] = 0xFF000000u | image->colourTable[index];
      } else {
        const size_t at = row + static_cast<size_t>(x * (bits / 8));
        image->pixels[out] = 0xFF000000u | file[at + 2] << 16 | file[at + 1] << 8 | file[at];
      }
    }
  }
  return true;
}

bool ReadBmpFile(const char *path, BmpImage *image, std::string *error) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return Fail(error, std::string(path) + ": cannot open");
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad())
    return Fail(error, std::string(path) + ": read error");
  if (!DecodeBmp(file, image, error))
    return error ? Fail(error, std::string(path) + ": " + *error) : false;
  return true;
}
