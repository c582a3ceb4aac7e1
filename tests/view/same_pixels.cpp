// Compares pictures the Windows side wrote, on the Linux side, with readers of their own: libpng
// for the viewer's PNG files and the project's BMP reader for its BMP files.
//   same_pixels png FILE.png FILE.bmp    the two files hold the same pixels
//   same_pixels page PAGE.ppm FILE.bmp   the BMP's pixels lie somewhere on the rendered page
// Exit 0 when so, 1 when not (with what was seen), 2 on a file that cannot be read.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/bmp_file.h"

namespace {

struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb; // 0x00RRGGBB, top row first
};

bool ReadPng(const char *path, Pixels &p) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path))
    return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr))
    return false;
  p.width = image.width;
  p.height = image.height;
  for (size_t i = 0; i + 2 < bytes.size(); i += 3)
    p.rgb.push_back(bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
  return true;
}

bool ReadBmp(const char *path, Pixels &p) {
  BmpImage image;
  std::string error;
  if (!ReadBmpFile(path, &image, &error))
    return false;
  p.width = image.width;
  p.height = image.height < 0 ? -image.height : image.height;
  for (uint32_t pixel : image.pixels)
    p.rgb.push_back(pixel & 0xFFFFFF);
  return true;
}

// The next word of a PPM header, past blanks and comment lines.
std::string HeaderWord(std::ifstream &file) {
  file >> std::ws;
  while (file.peek() == '#') {
    std::string comment;
    std::getline(file, comment);
    file >> std::ws;
  }
  std::string word;
  file >> word;
  return word;
}

// A binary PPM (P6, 8 bits), as Ghostscript writes it.
bool ReadPpm(const char *path, Pixels &p) {
  std::ifstream file(path, std::ios::binary);
  std::string magic = HeaderWord(file);
  p.width = std::atoi(HeaderWord(file).c_str());
  p.height = std::atoi(HeaderWord(file).c_str());
  int maximum = std::atoi(HeaderWord(file).c_str());
  file.get();
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  if (magic != "P6" || maximum != 255 || bytes.size() < size_t(p.width) * p.height * 3)
    return false;
  for (size_t i = 0; i < size_t(p.width) * p.height; ++i)
    p.rgb.push_back(bytes[3 * i] << 16 | bytes[3 * i + 1] << 8 | bytes[3 * i + 2]);
  return true;
}

bool At(const Pixels &page, const Pixels &part, int left, int top) {
  for (int y = 0; y < part.height; ++y)
    if (std::memcmp(&page.rgb[size_t(top + y) * page.width + left],
                    &part.rgb[size_t(y) * part.width], part.width * sizeof(uint32_t)) != 0)
      return false;
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 4 || (std::strcmp(argv[1], "png") != 0 && std::strcmp(argv[1], "page") != 0)) {
    std::fprintf(stderr, "usage: same_pixels png|page FILE FILE.bmp\n");
    return 2;
  }
  bool page = std::strcmp(argv[1], "page") == 0;
  Pixels first, bmp;
  if (!(page ? ReadPpm(argv[2], first) : ReadPng(argv[2], first)) || !ReadBmp(argv[3], bmp)) {
    std::fprintf(stderr, "cannot read %s or %s\n", argv[2], argv[3]);
    return 2;
  }
  if (!page) {
    bool same = first.width == bmp.width && first.height == bmp.height && first.rgb == bmp.rgb;
    std::printf("%s %s %s: %d x %d and %d x %d\n", argv[2],
                same ? "has the pixels of" : "differs from", argv[3], first.width, first.height,
                bmp.width, bmp.height);
    return same ? 0 : 1;
  }
  for (int top = 0; top + bmp.height <= first.height; ++top)
    for (int left = 0; left + bmp.width <= first.width; ++left)
      if (At(first, bmp, left, top)) {
        std::printf("%s found on %s at (%d, %d)\n", argv[3], argv[2], left, top);
        return 0;
      }
  std::printf("%s (%d x %d) is nowhere on %s (%d x %d)\n", argv[3], bmp.width, bmp.height, argv[2],
              first.width, first.height);
  return 1;
}
