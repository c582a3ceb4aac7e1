// Draws the 216 x 97 ticket face: the heading 整理券 in thin Mincho strokes and the line
// 乗車当日限り有効 in a heavier Gothic, dark grey on white; the right half stays white for the
// digit cells.
#pragma once

#include <string>

#include "tools/artwork/glyph_coverage.h"
#include "tools/artwork/indexed_image.h"

extern const FontFile kHeadingFont;
extern const FontFile kValidityFont;

bool DrawTicketFace(FT_Face headingFont, FT_Face validityFont, IndexedImage *face,
                    std::string *error);
