// ticket_artwork OUTDIR: draws the ticket face and the ten digit glyphs and writes them as
// ticket_face.bmp and digit_0.bmp .. digit_9.bmp, the files the resource script embeds.
// The same fonts give the same bytes on every run.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/artwork/digit_glyphs.h"
#include "tools/artwork/ticket_face.h"

namespace {

constexpr char kUsage[] =
    "usage: ticket_artwork OUTDIR\n"
    "Writes ticket_face.bmp and digit_0.bmp .. digit_9.bmp into OUTDIR, creating it if needed.\n";

bool WriteImage(const IndexedImage &image, const std::string &path, std::string *error) {
  return WriteFileBytes(path, EncodeBmpFile(image), error);
}

bool WriteArtwork(FT_Library library, const std::string &folder, std::string *error) {
  std::error_code created;
  std::filesystem::create_directories(folder, created);
  if (created) {
    *error = folder + ": " + created.message();
    return false;
  }
  FT_Face heading, validity, digits;
  if (!OpenFont(library, kHeadingFont, &heading, error) ||
      !OpenFont(library, kValidityFont, &validity, error) ||
      !OpenFont(library, kDigitFont, &digits, error))
    return false;
  IndexedImage image;
  if (!DrawTicketFace(heading, validity, &image, error) ||
      !WriteImage(image, folder + "/ticket_face.bmp", error))
    return false;
  for (int digit = 0; digit <= 9; ++digit)
    if (!DrawDigitGlyph(digits, digit, &image, error) ||
        !WriteImage(image, folder + "/digit_" + std::to_string(digit) + ".bmp", error))
      return false;
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) {
    std::fputs("ticket_artwork: FreeType could not start\n", stderr);
    return 1;
  }
  std::string error;
  const bool written = WriteArtwork(library, argv[1], &error);
  FT_Done_FreeType(library); // also closes the fonts
  if (!written) {
    std::fprintf(stderr, "ticket_artwork: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
