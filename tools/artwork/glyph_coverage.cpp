#include "tools/artwork/glyph_coverage.h"

#include FT_BBOX_H
#include FT_BITMAP_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

bool Fail(std::string *error, const std::string &text) {
  *error = text;
  return false;
}

// Loads the unscaled (font unit) outline of `code` into the face's glyph slot.
bool LoadOutline(FT_Face face, uint32_t code, int embolden, std::string *error) {
  const FT_UInt index = FT_Get_Char_Index(face, code);
  if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0 ||
      face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
    char character[16];
    std::snprintf(character, sizeof character, "U+%04X", static_cast<unsigned>(code));
    return Fail(error,
                std::string("font ") + face->family_name + " has no outline for " + character);
  }
  if (embolden != 0)
    FT_Outline_Embolden(&face->glyph->outline, embolden);
  return true;
}

} // namespace

CoverageMap MakeCoverageMap(int width, int height) {
  CoverageMap map;
  map.width = width;
  map.height = height;
  map.values.assign(static_cast<size_t>(width) * height, 0);
  return map;
}

GlyphPlacement FitInk(const FontBox &ink, double left, double top, double right, double bottom) {
  GlyphPlacement placement;
  placement.scaleX = (right - left) / (ink.right - ink.left);
  placement.scaleY = (bottom - top) / (ink.top - ink.bottom);
  placement.originX = left - ink.left * placement.scaleX;
  placement.originY = top + ink.top * placement.scaleY;
  return placement;
}

bool OpenFont(FT_Library library, const FontFile &font, FT_Face *face, std::string *error) {
  if (FT_New_Face(library, font.path, 0, face) != 0)
    return Fail(error, std::string("cannot open font ") + font.path + " (Debian package " +
                           font.package + ")");
  return true;
}

bool MeasureGlyph(FT_Face face, uint32_t code, int embolden, OutlineMetrics *metrics,
                  std::string *error) {
  if (!LoadOutline(face, code, embolden, error))
    return false;
  FT_BBox box;
  FT_Outline_Get_BBox(&face->glyph->outline, &box);
  metrics->ink = {static_cast<double>(box.xMin), static_cast<double>(box.yMin),
                  static_cast<double>(box.xMax), static_cast<double>(box.yMax)};
  metrics->advance = static_cast<double>(face->glyph->metrics.horiAdvance);
  return true;
}

bool DrawGlyph(FT_Face face, uint32_t code, int embolden, const GlyphPlacement &placement,
               CoverageMap *map, std::string *error) {
  if (!LoadOutline(face, code, embolden, error))
    return false;
  // FreeType renders in 1/64 pixel with y growing upwards from the bottom row.
  FT_Outline *outline = &face->glyph->outline;
  for (int i = 0; i < outline->n_points; ++i) {
    FT_Vector &p = outline->points[i];
    const double x = placement.originX + p.x * placement.scaleX;
    const double y = placement.originY - p.y * placement.scaleY;
    p.x = std::lround(x * 64);
    p.y = std::lround((map->height - y) * 64);
  }
  std::vector<uint8_t> glyph(map->values.size(), 0);
  FT_Bitmap target;
  FT_Bitmap_Init(&target);
  target.rows = static_cast<unsigned>(map->height);
  target.width = static_cast<unsigned>(map->width);
  target.pitch = map->width;
  target.buffer = glyph.data();
  target.num_grays = 256;
  target.pixel_mode = FT_PIXEL_MODE_GRAY;
  if (FT_Outline_Get_Bitmap(face->glyph->library, outline, &target) != 0)
    return Fail(error, "FreeType could not render an outline");
  for (size_t i = 0; i < glyph.size(); ++i)
    map->values[i] = std::max(map->values[i], glyph[i]);
  return true;
}
