// The committed ticket bitmaps, decoded on their own and held to the generator's design
// (tools/artwork/artwork_design.h): the stored resource form, the colour tables, where the ink
// lies on the face, and the shape and fill of the ten figures.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/bmp_file.h"
#include "common/bmp_layout.h"
#include "common/byte_reader.h"
#include "tools/artwork/artwork_design.h"

namespace {

struct Resource {
  std::vector<uint8_t> file;
  BmpImage image;
};

// The colour table the generator gives image 0 (the face) or 1 + k (the glyph of digit k).
const uint32_t (&Colours(int image))[kGreyCount] {
  return image == 0 ? kFaceColours : kDigitColours[image - 1];
}

// The grey that alternates with black in a glyph's stroke fill; 6 and 9 are solid black.
uint8_t FillGrey(int digit) {
  return digit == 2 || digit == 3 ? 2 : 1;
}
bool SolidFill(int digit) {
  return digit == 6 || digit == 9;
}

std::string FileName(int image) {
  return image == 0 ? "ticket_face.bmp" : "digit_" + std::to_string(image - 1) + ".bmp";
}

// Image 0 is the face, image 1 + k the glyph of digit k; each read once.
const Resource &Load(int image) {
  static Resource cache[11];
  Resource &r = cache[image];
  if (r.file.empty()) {
    const std::string path = std::string(TKT_RESOURCES_DIR) + "/" + FileName(image);
    std::ifstream in(path, std::ios::binary);
    r.file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::string error;
    EXPECT_TRUE(DecodeBmp(r.file, &r.image, &error)) << path << ": " << error;
  }
  return r;
}

const BmpImage &Digit(int digit) {
  return Load(1 + digit).image;
}

uint8_t At(const BmpImage &image, int x, int y) {
  return image.indices[static_cast<size_t>(y) * image.width + x];
}

bool Inside(const PixelBox &box, int x, int y) {
  return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

// The smallest box holding every non-white pixel of `area`; right < left when there is none.
PixelBox InkExtent(const BmpImage &image, const PixelBox &area) {
  PixelBox ink = {area.right + 1, area.bottom + 1, area.left - 1, area.top - 1};
  for (int y = area.top; y <= area.bottom; ++y)
    for (int x = area.left; x <= area.right; ++x)
      if (At(image, x, y) != kWhite) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}

int Count(const BmpImage &image, uint8_t entry) {
  int n = 0;
  for (uint8_t i : image.indices)
    n += i == entry;
  return n;
}

uint32_t WordAt(const std::vector<uint8_t> &file, size_t at) {
  uint32_t word = 0xFFFFFFFF;
  ReadAt(file, at, &word);
  return word;
}

TEST(ArtworkFormat, EveryImageHasTheStoredResourceLayout) {
  for (int i = 0; i < 11; ++i) {
    SCOPED_TRACE(FileName(i));
    const Resource &r = Load(i);
    const BmpImage &b = r.image;
    const bool face = i == 0;
    const uint32_t imageSize = face ? 10476 : 1200;
    // 14-byte file header, then exactly the resource: info header, colour table, pixels.
    ASSERT_EQ(r.file.size(), 14u + (face ? 10580u : 1304u));
    EXPECT_EQ(b.fileSize, r.file.size());
    EXPECT_EQ(WordAt(r.file, offsetof(BmpFileHeader, reserved1)), 0u);
    EXPECT_EQ(b.pixelOffset, 14u + 40u + 64u);
    EXPECT_EQ(b.headerSize, 40u);
    EXPECT_EQ(b.width, face ? design::FaceWidth : design::GlyphWidth);
    EXPECT_EQ(b.height, face ? design::FaceHeight : design::GlyphHeight); // positive: bottom-up
    EXPECT_EQ(b.planes, 1);
    EXPECT_EQ(b.bitCount, 4);
    EXPECT_EQ(b.compression, 0u);
    EXPECT_EQ(b.imageSize, imageSize);
    EXPECT_EQ(b.xPelsPerMeter, 2835);
    EXPECT_EQ(b.yPelsPerMeter, 2835);
    EXPECT_EQ(b.coloursUsed, 16u);
    EXPECT_EQ(b.coloursImportant, face ? 8u : DigitColoursImportant(i - 1));
    // Colour table as stored: blue, green, red, 0; entries 8 to 15 black.
    for (int e = 0; e < 16; ++e) {
      const uint32_t want = e < kGreyCount ? Colours(i)[e] : 0;
      EXPECT_EQ(WordAt(r.file, sizeof(BmpFileHeader) + sizeof(BmpInfoHeader) + e * 4), want)
          << "entry " << e;
    }
  }
}

TEST(ArtworkFormat, PixelsUseOnlyTheGreysOfEntriesZeroToSeven) {
  for (int i = 0; i < 11; ++i) {
    SCOPED_TRACE(FileName(i));
    const BmpImage &b = Load(i).image;
    for (uint8_t entry : b.indices)
      ASSERT_LT(entry, 8);
  }
  // The 5's table holds two pale yellows that no pixel may show.
  EXPECT_EQ(Count(Digit(5), 5), 0);
  EXPECT_EQ(Count(Digit(5), 6), 0);
}

TEST(TicketFace, IsWhiteOutsideTheHeadingAndTheValidityLine) {
  const BmpImage &face = Load(0).image;
  for (int y = 0; y < design::FaceHeight; ++y)
    for (int x = 0; x < design::FaceWidth; ++x)
      if (x >= 112 || !(Inside(kHeadingRegion, x, y) || Inside(kValidityLine, x, y))) {
        ASSERT_EQ(At(face, x, y), kWhite) << "at " << x << "," << y;
      }
}

TEST(TicketFace, HeadingHasThreeCharactersOfAboutThirtyPixels) {
  const BmpImage &face = Load(0).image;
  for (const PixelBox &cell : kHeadingCells) {
    SCOPED_TRACE("cell from x " + std::to_string(cell.left));
    const PixelBox ink = InkExtent(face, cell);
    EXPECT_GE(ink.right - ink.left + 1, 26);
    EXPECT_GE(ink.bottom - ink.top + 1, 26);
  }
  // The characters stand apart: the columns between the cells hold no ink.
  for (int x : {48, 80, 81})
    EXPECT_EQ(InkExtent(face, {x, kHeadingRegion.top, x, kHeadingRegion.bottom}).right, x - 1)
        << "column " << x;
}

TEST(TicketFace, ValidityLineSpansItsBox) {
  const BmpImage &face = Load(0).image;
  const PixelBox ink = InkExtent(face, kValidityLine);
  EXPECT_LE(ink.left, kValidityLine.left + 1);
  EXPECT_GE(ink.right, kValidityLine.right - 1);
  EXPECT_GE(ink.bottom - ink.top + 1, 12); // about 14 pixels tall
}

TEST(TicketFace, TextIsDarkGreyWithAntiAliasedEdges) {
  const BmpImage &face = Load(0).image;
  for (const PixelBox &region : {kHeadingRegion, kValidityLine}) {
    SCOPED_TRACE("region from y " + std::to_string(region.top));
    int used[8] = {};
    for (int y = region.top; y <= region.bottom; ++y)
      for (int x = region.left; x <= region.right; ++x)
        ++used[At(face, x, y)];
    EXPECT_GT(used[0], 0) << "no pixel in the darkest grey";
    for (int e = 1; e <= 6; ++e)
      EXPECT_GT(used[e], 0) << "edge grey " << e << " unused";
  }
  // The validity line is the heavier of the two: it lays more ink on each pixel of its box.
  auto inkPerPixel = [&](const PixelBox &r) {
    double ink = 0;
    for (int y = r.top; y <= r.bottom; ++y)
      for (int x = r.left; x <= r.right; ++x)
        ink += 255 - (kFaceColours[At(face, x, y)] & 0xFF);
    return ink / ((r.right - r.left + 1) * (r.bottom - r.top + 1));
  };
  EXPECT_GT(inkPerPixel(kValidityLine), 1.2 * inkPerPixel(kHeadingRegion));
}

TEST(DigitGlyphs, InkFillsExactlyTheGlyphBoxWithinWhiteMargins) {
  for (int d = 0; d <= 9; ++d) {
    SCOPED_TRACE("digit " + std::to_string(d));
    const BmpImage &g = Digit(d);
    for (int x = 0; x < design::GlyphWidth; ++x)
      for (int y : {0, 1, design::GlyphHeight - 1})
        ASSERT_EQ(At(g, x, y), kWhite) << "row " << y;
    for (int y = 0; y < design::GlyphHeight; ++y)
      for (int x : {0, 1, design::GlyphWidth - 2, design::GlyphWidth - 1})
        ASSERT_EQ(At(g, x, y), kWhite) << "column " << x;
    const PixelBox ink = InkExtent(g, {0, 0, design::GlyphWidth - 1, design::GlyphHeight - 1});
    EXPECT_EQ(ink.left, kDigitInk[d].left);
    EXPECT_EQ(ink.right, kDigitInk[d].right);
    EXPECT_EQ(ink.top, kDigitInk[d].top);
    EXPECT_EQ(ink.bottom, kDigitInk[d].bottom);
  }
}

TEST(DigitGlyphs, RowTwoHoldsAtMostALightTopEdge) {
  for (int d = 0; d <= 9; ++d) {
    SCOPED_TRACE("digit " + std::to_string(d));
    for (int x = 0; x < design::GlyphWidth; ++x)
      EXPECT_GT(At(Digit(d), x, 2), FillGrey(d)) << "fill colour at column " << x;
  }
}

// Every fill pixel (black or the fill grey) follows one 2 x 2 checkerboard: some shift of the
// pattern and some choice of which colour starts it explains them all.
TEST(DigitGlyphs, StrokesHaveACheckerboardFillOfTwoPixelSquares) {
  for (int d = 0; d <= 9; ++d) {
    if (SolidFill(d))
      continue;
    SCOPED_TRACE("digit " + std::to_string(d));
    const BmpImage &g = Digit(d);
    const uint8_t grey = FillGrey(d);
    EXPECT_GT(Count(g, 0), 200);
    EXPECT_GT(Count(g, grey), 200);
    for (uint8_t darker = 1; darker < grey; ++darker)
      EXPECT_EQ(Count(g, darker), 0) << "grey darker than the fill";
    bool explained = false;
    for (int shift = 0; shift < 4 && !explained; ++shift)
      for (int swap = 0; swap < 2 && !explained; ++swap) {
        explained = true;
        for (int y = 0; y < design::GlyphHeight && explained; ++y)
          for (int x = 0; x < design::GlyphWidth && explained; ++x) {
            const uint8_t e = At(g, x, y);
            if (e != 0 && e != grey)
              continue;
            const bool greySquare = (((x + shift % 2) / 2 + (y + shift / 2) / 2) & 1) != swap;
            explained = e == (greySquare ? grey : 0);
          }
      }
    EXPECT_TRUE(explained) << "fill is not a 2 x 2 checkerboard";
  }
}

TEST(DigitGlyphs, SixAndNineAreFilledSolidBlack) {
  for (int d : {6, 9}) {
    SCOPED_TRACE("digit " + std::to_string(d));
    EXPECT_GT(Count(Digit(d), 0), 500);
    EXPECT_EQ(Count(Digit(d), 1), 0);
  }
}

TEST(DigitGlyphs, EdgesAreAntiAliasedInTheLighterGreys) {
  for (int d = 0; d <= 9; ++d) {
    SCOPED_TRACE("digit " + std::to_string(d));
    int edges = 0;
    for (uint8_t e = FillGrey(d) + 1; e < kWhite; ++e)
      edges += Count(Digit(d), e);
    EXPECT_GT(edges, 60);
  }
}

// Each figure reads at a glance: any two differ in hundreds of dark pixels.
TEST(DigitGlyphs, EveryPairDiffersClearly) {
  auto dark = [](int d, int x, int y) {
    return (kDigitColours[d][At(Digit(d), x, y)] & 0xFF) < 0x80;
  };
  for (int a = 0; a <= 9; ++a)
    for (int b = a + 1; b <= 9; ++b) {
      int differ = 0;
      for (int y = 0; y < design::GlyphHeight; ++y)
        for (int x = 0; x < design::GlyphWidth; ++x)
          differ += dark(a, x, y) != dark(b, x, y);
      EXPECT_GE(differ, 200) << a << " and " << b;
    }
}

} // namespace
