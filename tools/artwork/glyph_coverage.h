// Renders font outlines with FreeType into a map of anti-aliased ink coverage.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <string>
#include <vector>

// A font file and the Debian package that ships it, named when the file is missing.
struct FontFile {
  const char *path;
  const char *package;
};

// Ink coverage of each pixel, 0 (none) to 255 (full), top row first.
struct CoverageMap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> values;
};

CoverageMap MakeCoverageMap(int width, int height);

inline uint8_t CoverageAt(const CoverageMap &map, int x, int y) {
  return map.values[static_cast<size_t>(y) * map.width + x];
}

// An outline's extent in font units (y grows upwards).
struct FontBox {
  double left, bottom, right, top;
};

// Maps font units to pixels (x right, y down): x' = originX + x * scaleX,
// y' = originY - y * scaleY.
struct GlyphPlacement {
  double scaleX, scaleY, originX, originY;
};

// The placement that stretches `ink` onto the pixel rectangle from (left, top) to (right, bottom),
// given as pixel edges.
GlyphPlacement FitInk(const FontBox &ink, double left, double top, double right, double bottom);

bool OpenFont(FT_Library library, const FontFile &font, FT_Face *face, std::string *error);

// What a glyph's outline measures, in font units.
struct OutlineMetrics {
  FontBox ink;    // exact extent of the outline
  double advance; // pen movement to the next character
};

// Measures the unscaled outline of `code`, thickened by `embolden` font units in total (0 for
// the font's own weight).
bool MeasureGlyph(FT_Face face, uint32_t code, int embolden, OutlineMetrics *metrics,
                  std::string *error);

// Draws the outline of `code`, thickened as above, at `placement` into `map`. Coverage already in
// the map is kept where it is higher, so glyphs may be drawn one after another.
bool DrawGlyph(FT_Face face, uint32_t code, int embolden, const GlyphPlacement &placement,
               CoverageMap *map, std::string *error);
