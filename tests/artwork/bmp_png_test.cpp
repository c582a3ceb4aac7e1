// The BMP reader behind bmp2png, the PNG writer, and the converter from end to end.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/bmp_file.h"
#include "common/bmp_layout.h"
#include "common/byte_reader.h"
#include "common/png_image.h"

namespace {

struct BmpLayout {
  int32_t width, height;
  uint16_t bits;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  std::vector<uint32_t> table; // 0xRRGGBB, written as stored
  std::vector<uint8_t> rows;   // pixel rows exactly as stored, padding included
};

std::vector<uint8_t> MakeBmp(const BmpLayout &s) {
  const uint32_t tableAt = sizeof(BmpFileHeader) + sizeof(BmpInfoHeader);
  const uint32_t offset = tableAt + 4 * static_cast<uint32_t>(s.table.size());
  const uint32_t rowBytes = static_cast<uint32_t>(s.rows.size());
  std::vector<uint8_t> b(offset);
  WriteAt(b, 0, BmpFileHeader{kBmpFileType, offset + rowBytes, 0, 0, offset});
  WriteAt(b, sizeof(BmpFileHeader),
          BmpInfoHeader{sizeof(BmpInfoHeader), s.width, s.height, 1, s.bits, s.compression,
                        rowBytes, 2835, 2835, s.coloursUsed, 0});
  for (size_t i = 0; i < s.table.size(); ++i)
    WriteAt(b, tableAt + i * 4, s.table[i]);
  b.insert(b.end(), s.rows.begin(), s.rows.end());
  return b;
}

TEST(BmpReader, ReadsBottomUpTwentyFourBitRowsWithPadding) {
  // 3 x 2: each row 9 bytes of blue, green, red, padded to 12. The first stored row is the bottom.
  const std::vector<uint8_t> rows = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,
                                     10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  BmpImage image;
  std::string error;
  ASSERT_TRUE(DecodeBmp(MakeBmp({3, 2, 24, 0, 0, {}, rows}), &image, &error)) << error;
  const std::vector<uint32_t> want = {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110,
                                      0xFF030201, 0xFF060504, 0xFF090807};
  EXPECT_EQ(image.pixels, want);
  EXPECT_TRUE(image.indices.empty());
}

TEST(BmpReader, ReadsTopDownThirtyTwoBitRowsAsOpaque) {
  // GDI leaves the fourth byte 0; the picture must not come out transparent.
  const std::vector<uint8_t> rows = {0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0x99};
  BmpImage image;
  std::string error;
  ASSERT_TRUE(DecodeBmp(MakeBmp({1, -2, 32, 0, 0, {}, rows}), &image, &error)) << error;
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0xFF102030, 0xFF405060}));
}

TEST(BmpReader, ReadsPaletteImagesLeftPixelInTheHighBits) {
  struct Case {
    uint16_t bits;
    int32_t width;
    uint32_t coloursUsed;
    std::vector<uint8_t> row; // one stored row, padded to 4 bytes
    std::vector<uint8_t> indices;
  };
  const Case cases[] = {
      {4, 3, 3, {0x12, 0x00, 0, 0}, {1, 2, 0}},
      {1, 9, 2, {0xA0, 0x80, 0, 0}, {1, 0, 1, 0, 0, 0, 0, 0, 1}},
      {8, 2, 0, {0x00, 0xFF, 0, 0}, {0, 255}}, // 0 colours used means all 256
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits");
    BmpLayout layout = {c.width, 1, c.bits, 0, c.coloursUsed, {}, c.row};
    const uint32_t entries = c.coloursUsed ? c.coloursUsed : 1u << c.bits;
    for (uint32_t i = 0; i < entries; ++i)
      layout.table.push_back(0x010101 * i);
    BmpImage image;
    std::string error;
    ASSERT_TRUE(DecodeBmp(MakeBmp(layout), &image, &error)) << error;
    EXPECT_EQ(image.indices, c.indices);
    ASSERT_EQ(image.colourTable.size(), entries);
    for (size_t i = 0; i < c.indices.size(); ++i)
      EXPECT_EQ(image.pixels[i], 0xFF000000u | 0x010101u * c.indices[i]);
  }
}

TEST(BmpReader, RejectsFilesItCannotReadSafely) {
  const BmpLayout good = {2, 2, 24, 0, 0, {}, std::vector<uint8_t>(16, 0)};
  struct Case {
    const char *what;
    std::vector<uint8_t> file;
  };
  std::vector<Case> cases;
  auto with = [&](const char *what, auto change) {
    BmpLayout s = good;
    change(s);
    cases.push_back({what, MakeBmp(s)});
  };
  with("pixel rows cut short", [](BmpLayout &s) { s.rows.resize(15); });
  with("run-length compressed", [](BmpLayout &s) { s.compression = 1; });
  with("16 bits per pixel", [](BmpLayout &s) { s.bits = 16; });
  with("zero width", [](BmpLayout &s) { s.width = 0; });
  with("zero height", [](BmpLayout &s) { s.height = 0; });
  with("absurd width", [](BmpLayout &s) { s.width = 0x7FFFFFFF; });
  with("most negative height", [](BmpLayout &s) { s.height = INT32_MIN; });
  with("colour index beyond the table", [](BmpLayout &s) {
    s.bits = 4;
    s.coloursUsed = 2;
    s.table = {0, 0xFFFFFF};
    s.rows = {0x15, 0, 0, 0, 0x11, 0, 0, 0};
  });
  with("more colours than the depth allows", [](BmpLayout &s) {
    s.bits = 1;
    s.coloursUsed = 3;
    s.table = {0, 0, 0};
    s.rows.assign(8, 0);
  });
  with("colour table past the end", [](BmpLayout &s) {
    s.bits = 8;
    s.coloursUsed = 200;
    s.rows.clear();
  });
  std::vector<uint8_t> notBmp = MakeBmp(good);
  notBmp[0] = 'P';
  cases.push_back({"wrong magic", notBmp});
  std::vector<uint8_t> coreHeader = MakeBmp(good);
  coreHeader[14] = 12; // BITMAPCOREHEADER
  cases.push_back({"core header", coreHeader});
  std::vector<uint8_t> offsetPastEnd = MakeBmp(good);
  offsetPastEnd[10] = 0xFF;
  offsetPastEnd[11] = 0xFF;
  cases.push_back({"pixel offset past the end", offsetPastEnd});
  std::vector<uint8_t> cutShort = MakeBmp(good);
  cutShort.resize(40);
  cases.push_back({"headers cut short", cutShort});
  for (const Case &c : cases) {
    BmpImage image;
    std::string error;
    EXPECT_FALSE(DecodeBmp(c.file, &image, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

std::string TempPath(const char *name) {
  return ::testing::TempDir() + "/artwork_test_" + name;
}

// Reads a PNG back as 0xAARRGGBB pixels, top row first.
std::vector<uint32_t> ReadPng(const std::string &path, int *width, int *height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr))
    return {};
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  std::vector<uint32_t> pixels(bytes.size() / 4);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint32_t>(bytes[i * 4 + 3]) << 24 | bytes[i * 4] << 16 |
                bytes[i * 4 + 1] << 8 | bytes[i * 4 + 2];
  return pixels;
}

TEST(PngWriter, WritesPixelsThatReadBackUnchanged) {
  const std::vector<uint32_t> pixels = {0xFF000000, 0xFFFFFFFF, 0xFF123456,
                                        0x80FF0000, 0x0000FF00, 0xFF0000FF};
  const std::string path = TempPath("writer.png");
  std::string error;
  ASSERT_TRUE(WritePngFile(path.c_str(), pixels.data(), 3, 2, &error)) << error;
  int width = 0, height = 0;
  EXPECT_EQ(ReadPng(path, &width, &height), pixels);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  std::remove(path.c_str());
}

TEST(PngWriter, ReportsWhatItCannotWrite) {
  const uint32_t pixel = 0xFFFFFFFF;
  std::string error;
  EXPECT_FALSE(WritePngFile(TempPath("empty.png").c_str(), &pixel, 0, 1, &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(WritePngFile("/nonexistent-folder/x.png", &pixel, 1, 1, &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos) << error;
  const uint8_t index = 2;
  const std::string path = TempPath("palette.png");
  error.clear();
  EXPECT_FALSE(WriteIndexedPngFile(path.c_str(), &index, {0, 0xFFFFFF}, 1, 1, &error));
  EXPECT_NE(error.find("beyond the palette"), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(WriteIndexedPngFile(path.c_str(), &index, {}, 1, 1, &error));
  EXPECT_FALSE(error.empty());
}

int RunBmp2Png(const std::string &arguments) {
  const int status =
      std::system((std::string(TKT_BMP2PNG) + " " + arguments + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The same pixels, and a palette PNG as deep as the colour table needs: the face's 16 colours in
// 4 bits, a black-and-white page (a thermal printer's) in 1 bit.
TEST(Bmp2Png, ConvertsToTheSamePixelsInAsFewBits) {
  const std::string page = TempPath("page.bmp");
  const std::vector<uint8_t> pageBytes =
      MakeBmp({10, -2, 1, 0, 2, {0, 0xFFFFFF}, {0xA5, 0x40, 0, 0, 0x5A, 0x80, 0, 0}});
  std::FILE *f = std::fopen(page.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(pageBytes.data(), 1, pageBytes.size(), f);
  std::fclose(f);
  struct Case {
    std::string bmp;
    int depth;
  };
  for (const Case &c :
       {Case{std::string(TKT_RESOURCES_DIR) + "/ticket_face.bmp", 4}, Case{page, 1}}) {
    SCOPED_TRACE(c.bmp);
    const std::string out = TempPath("converted.png");
    ASSERT_EQ(RunBmp2Png(c.bmp + " " + out), 0);
    BmpImage bmp;
    std::string error;
    ASSERT_TRUE(ReadBmpFile(c.bmp.c_str(), &bmp, &error)) << error;
    int width = 0, height = 0;
    EXPECT_EQ(ReadPng(out, &width, &height), bmp.pixels);
    EXPECT_EQ(width, bmp.width);
    EXPECT_EQ(height, std::abs(bmp.height));
    std::FILE *png = std::fopen(out.c_str(), "rb");
    ASSERT_TRUE(png);
    uint8_t header[26] = {};
    EXPECT_EQ(std::fread(header, 1, sizeof header, png), sizeof header);
    std::fclose(png);
    EXPECT_EQ(header[24], c.depth); // bits per pixel
    EXPECT_EQ(header[25], PNG_COLOR_TYPE_PALETTE);
    std::remove(out.c_str());
  }
  std::remove(page.c_str());
}

TEST(Bmp2Png, FailsWithAnExitCodeOnBadInput) {
  EXPECT_EQ(RunBmp2Png("/nonexistent.bmp " + TempPath("none.png")), 1);
  EXPECT_EQ(RunBmp2Png(std::string(TKT_BMP2PNG) + " " + TempPath("self.png")), 1); // not a BMP
  EXPECT_EQ(RunBmp2Png("only-one-argument"), 2);
  EXPECT_EQ(RunBmp2Png("--help"), 0);
}

} // namespace
