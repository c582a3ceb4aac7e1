// Draws the ten 40 x 60 digit glyphs: heavy condensed figures stretched onto their exact ink
// boxes, edges anti-aliased in light greys, strokes filled with a 2 x 2 dot checkerboard (solid
// black in the 6 and the 9) like a thermal print.
#pragma once

#include <string>

#include "tools/artwork/glyph_coverage.h"
#include "tools/artwork/indexed_image.h"

extern const FontFile kDigitFont;

bool DrawDigitGlyph(FT_Face font, int digit, IndexedImage *glyph, std::string *error);
