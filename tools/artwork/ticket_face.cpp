#include "tools/artwork/ticket_face.h"

#include <algorithm>

#include "tools/artwork/grey_levels.h"

const FontFile kHeadingFont = {"/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf",
                               "fonts-ipafont-mincho"};
const FontFile kValidityFont = {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
                                "fonts-ipafont-gothic"};

namespace {

const uint32_t kHeading[3] = {0x6574, 0x7406, 0x5238};          // 整理券
const uint32_t kValidity[8] = {0x4E57, 0x8ECA, 0x5F53, 0x65E5,  // 乗車当日
                               0x9650, 0x308A, 0x6709, 0x52B9}; // 限り有効

// Extra stroke weight of the validity line, in font units (about a third of a pixel), so that the
// small line reads as a heavier face than the heading.
constexpr int kValidityEmbolden = 48;

double Width(const PixelBox &box) {
  return box.right - box.left + 1;
}
double Height(const PixelBox &box) {
  return box.bottom - box.top + 1;
}

template <size_t N>
bool Measure(FT_Face font, const uint32_t (&codes)[N], int embolden, OutlineMetrics (&out)[N],
             std::string *error) {
  for (size_t i = 0; i < N; ++i)
    if (!MeasureGlyph(font, codes[i], embolden, &out[i], error))
      return false;
  return true;
}

// The heading: one scale for all three characters, the largest that fits each into its cell;
// each centred across its cell, all three on one baseline centred down the region.
bool DrawHeading(FT_Face font, CoverageMap *coverage, std::string *error) {
  OutlineMetrics glyphs[3];
  if (!Measure(font, kHeading, 0, glyphs, error))
    return false;
  double scale = 1e9;
  double top = -1e9, bottom = 1e9;
  for (int i = 0; i < 3; ++i) {
    const FontBox &ink = glyphs[i].ink;
    scale = std::min({scale, Width(kHeadingCells[i]) / (ink.right - ink.left),
                      Height(kHeadingCells[i]) / (ink.top - ink.bottom)});
    top = std::max(top, ink.top);
    bottom = std::min(bottom, ink.bottom);
  }
  const double inkTop = kHeadingRegion.top + (Height(kHeadingRegion) - (top - bottom) * scale) / 2;
  for (int i = 0; i < 3; ++i) {
    const FontBox &ink = glyphs[i].ink;
    const double inkLeft =
        kHeadingCells[i].left + (Width(kHeadingCells[i]) - (ink.right - ink.left) * scale) / 2;
    const GlyphPlacement placement = {scale, scale, inkLeft - ink.left * scale,
                                      inkTop + top * scale};
    if (!DrawGlyph(font, kHeading[i], 0, placement, coverage, error))
      return false;
  }
  return true;
}

// The validity line: set with the font's own advances, stretched so that its ink spans the
// line's box exactly (which condenses the characters a little).
bool DrawValidityLine(FT_Face font, CoverageMap *coverage, std::string *error) {
  OutlineMetrics glyphs[8];
  if (!Measure(font, kValidity, kValidityEmbolden, glyphs, error))
    return false;
  double pen = 0, top = -1e9, bottom = 1e9;
  for (int i = 0; i < 7; ++i)
    pen += glyphs[i].advance;
  for (const OutlineMetrics &g : glyphs) {
    top = std::max(top, g.ink.top);
    bottom = std::min(bottom, g.ink.bottom);
  }
  const double lineLeft = glyphs[0].ink.left;
  const double lineRight = pen + glyphs[7].ink.right;
  const GlyphPlacement line =
      FitInk({lineLeft, bottom, lineRight, top}, kValidityLine.left, kValidityLine.top,
             kValidityLine.right + 1, kValidityLine.bottom + 1);
  pen = 0;
  for (int i = 0; i < 8; ++i) {
    GlyphPlacement placement = line;
    placement.originX += pen * line.scaleX;
    if (!DrawGlyph(font, kValidity[i], kValidityEmbolden, placement, coverage, error))
      return false;
    pen += glyphs[i].advance;
  }
  return true;
}

} // namespace

bool DrawTicketFace(FT_Face headingFont, FT_Face validityFont, IndexedImage *face,
                    std::string *error) {
  *face = MakeWhiteImage(design::FaceWidth, design::FaceHeight, kFaceColours, kGreyCount);
  CoverageMap coverage = MakeCoverageMap(design::FaceWidth, design::FaceHeight);
  if (!DrawHeading(headingFont, &coverage, error) ||
      !DrawValidityLine(validityFont, &coverage, error))
    return false;
  const int ink = static_cast<int>(kFaceColours[0] & 0xFF);
  for (int y = 0; y < design::FaceHeight; ++y)
    for (int x = 0; x < design::FaceWidth; ++x)
      PixelAt(*face, x, y) = NearestGrey(kFaceColours, MixedGrey(ink, CoverageAt(coverage, x, y)));
  return true;
}
