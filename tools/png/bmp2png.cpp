// bmp2png IN.bmp OUT.png: converts an uncompressed 1/4/8/24/32-bit BMP (such as the pictures that
// Windows test programs save of what the plug-in drew, or the ticket artwork) to PNG. A BMP with
// a colour table becomes a palette PNG of the same colours, a one-bit BMP a one-bit PNG.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/bmp_file.h"
#include "common/png_image.h"

namespace {

constexpr char kUsage[] = "usage: bmp2png IN.bmp OUT.png\n"
                          "Converts an uncompressed 1, 4, 8, 24 or 32-bit BMP file to PNG.\n";

} // namespace

int main(int argc, char **argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  BmpImage image;
  std::string error;
  bool converted = ReadBmpFile(argv[1], &image, &error);
  if (converted) {
    const int height = image.height < 0 ? -image.height : image.height;
    converted = image.indices.empty()
                    ? WritePngFile(argv[2], image.pixels.data(), image.width, height, &error)
                    : WriteIndexedPngFile(argv[2], image.indices.data(), image.colourTable,
                                          image.width, height, &error);
  }
  if (!converted) {
    std::fprintf(stderr, "bmp2png: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
