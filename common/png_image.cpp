#include "common/png_image.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace {

// Large enough for any ticket sheet, small enough that width * height * 4 cannot overflow.
constexpr int kMaxSide = 1 << 14;

void SetError(std::string *error, const std::string &text) {
  if (error)
    *error = text;
}

bool SizeFits(int width, int height, std::string *error) {
  if (width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide)
    return true;
  SetError(error, "picture size " + std::to_string(width) + " x " + std::to_string(height) +
                      " is outside 1 to " + std::to_string(kMaxSide));
  return false;
}

bool Write(png_image &image, const char *path, const void *buffer, const void *colourMap,
           std::string *error) {
  image.version = PNG_IMAGE_VERSION;
  if (png_image_write_to_file(&image, path, 0, buffer, 0, colourMap))
    return true;
  SetError(error, std::string(path) + ": " + image.message);
  png_image_free(&image);
  return false;
}

} // namespace

bool WritePngFile(const char *path, const uint32_t *pixels, int width, int height,
                  std::string *error) {
  if (!SizeFits(width, height, error))
    return false;
  // Byte order RGBA whatever the host's byte order is.
  std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < bytes.size() / 4; ++i) {
    const uint32_t p = pixels[i];
    bytes[i * 4 + 0] = static_cast<uint8_t>(p >> 16);
    bytes[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
    bytes[i * 4 + 2] = static_cast<uint8_t>(p);
    bytes[i * 4 + 3] = static_cast<uint8_t>(p >> 24);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return Write(image, path, bytes.data(), nullptr, error);
}

bool WriteIndexedPngFile(const char *path, const uint8_t *indices,
                         const std::vector<uint32_t> &colours, int width, int height,
                         std::string *error) {
  if (!SizeFits(width, height, error))
    return false;
  if (colours.empty() || colours.size() > 256) {
    SetError(error, std::to_string(colours.size()) + " colours cannot make a palette");
    return false;
  }
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
    if (indices[i] >= colours.size()) {
      SetError(error,
               "pixel refers to colour " + std::to_string(indices[i]) + " beyond the palette");
      return false;
    }
  std::vector<uint8_t> map;
  for (uint32_t c : colours) {
    map.push_back(static_cast<uint8_t>(c >> 16));
    map.push_back(static_cast<uint8_t>(c >> 8));
    map.push_back(static_cast<uint8_t>(c));
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = static_cast<png_uint_32>(colours.size());
  return Write(image, path, indices, map.data(), error);
}
