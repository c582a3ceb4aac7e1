#include "tools/artwork/digit_glyphs.h"

#include <algorithm>

#include "tools/artwork/grey_levels.h"

const FontFile kDigitFont = {"/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
                             "fonts-dejavu-extra"};

namespace {

// Figures whose ink starts in row 2 start a fraction of a pixel below its top, so that row 2
// holds only a grey anti-aliased edge.
constexpr double kRowTwoInset = 0.4;

// The grey that alternates with black in the fill.
uint8_t FillGrey(int digit) {
  return digit == 2 || digit == 3 ? 2 : 1;
}

bool SolidFill(int digit) {
  return digit == 6 || digit == 9;
}

// Black and the fill grey alternate in squares of 2 x 2 pixels.
uint8_t FillEntry(int digit, int x, int y) {
  if (SolidFill(digit) || ((x / 2 + y / 2) & 1) == 0)
    return 0;
  return FillGrey(digit);
}

// The ink extent actually drawn, to hold it against the glyph's box.
PixelBox InkExtent(const IndexedImage &glyph) {
  PixelBox box = {glyph.width, glyph.height, -1, -1};
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < glyph.width; ++x)
      if (glyph.indices[static_cast<size_t>(y) * glyph.width + x] != kWhite) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

} // namespace

bool DrawDigitGlyph(FT_Face font, int digit, IndexedImage *glyph, std::string *error) {
  *glyph = MakeWhiteImage(design::GlyphWidth, design::GlyphHeight, kDigitColours[digit],
                          DigitColoursImportant(digit));
  const uint32_t code = static_cast<uint32_t>('0' + digit);
  OutlineMetrics figure;
  if (!MeasureGlyph(font, code, 0, &figure, error))
    return false;
  const PixelBox &box = kDigitInk[digit];
  const double top = box.top + (box.top == 2 ? kRowTwoInset : 0.0);
  CoverageMap coverage = MakeCoverageMap(design::GlyphWidth, design::GlyphHeight);
  if (!DrawGlyph(font, code, 0, FitInk(figure.ink, box.left, top, box.right + 1, box.bottom + 1),
                 &coverage, error))
    return false;

  const uint32_t(&greys)[kGreyCount] = kDigitColours[digit];
  for (int y = 0; y < design::GlyphHeight; ++y)
    for (int x = 0; x < design::GlyphWidth; ++x) {
      const uint8_t entry = NearestGrey(greys, MixedGrey(0, CoverageAt(coverage, x, y)));
      PixelAt(*glyph, x, y) = entry <= FillGrey(digit) ? FillEntry(digit, x, y) : entry;
    }

  const PixelBox drawn = InkExtent(*glyph);
  if (drawn.left != box.left || drawn.top != box.top || drawn.right != box.right ||
      drawn.bottom != box.bottom) {
    *error = "digit " + std::to_string(digit) + " ink covers columns " +
             std::to_string(drawn.left) + ".." + std::to_string(drawn.right) + ", rows " +
             std::to_string(drawn.top) + ".." + std::to_string(drawn.bottom) +
             " instead of its box";
    return false;
  }
  return true;
}
