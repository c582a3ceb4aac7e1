// The design of TKT_A1.QPL as a host sees it: what every checking program (the checker, the
// workbench, the artwork generator, the tests) holds the product to. The product keeps its own
// copy of these facts in its own code; a check compares the two, never the product with itself.
#pragma once

namespace design {

// The information record GetPlgInfo writes: this code, then the ticket's size.
constexpr int InfoCode = 4;

// The ticket face, and each digit glyph, in pixels.
constexpr int FaceWidth = 216;
constexpr int FaceHeight = 97;
constexpr int GlyphWidth = 40;
constexpr int GlyphHeight = 60;

// The two digit cells, each one glyph: the tens cell's top-left corner, then the units cell's.
constexpr int TensCellX = 121;
constexpr int UnitsCellX = 161;
constexpr int CellY = 18;
static_assert(UnitsCellX == TensCellX + GlyphWidth, "the units cell follows the tens cell");
static_assert(UnitsCellX + GlyphWidth <= FaceWidth && CellY + GlyphHeight <= FaceHeight,
              "both cells lie on the face");

// SetCorpAddList fills the combo box with this many empty entries.
constexpr int ListEntries = 15;

// The description SetPlgComment writes is design/description.utf8.txt, in code page 932 once
// the build is configured.

} // namespace design
