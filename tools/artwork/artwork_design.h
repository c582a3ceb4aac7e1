// The fixed facts of the ticket artwork besides its sizes (design/ticket_design.h): colour
// tables and where the ink goes.
#pragma once

#include <cstdint>

#include "design/ticket_design.h"

constexpr int kGreyCount = 8; // entries 0..7 of each colour table; entries 8..15 stay black

// A rectangle of whole pixels, edges included, from the image's top-left corner.
struct PixelBox {
  int left, top, right, bottom;
};

// Colour tables as 0x00RRGGBB, dark (entry 0) to white (entry 7).
extern const uint32_t kFaceColours[kGreyCount];
extern const uint32_t kDigitColours[10][kGreyCount];
constexpr uint8_t kWhite = 7;

// Colours important: 8, except 16 for the 5, whose table also holds two unused pale yellows.
uint32_t DigitColoursImportant(int digit);

// Heading 整理券: one cell per character, and the region that holds all three.
extern const PixelBox kHeadingCells[3];
constexpr PixelBox kHeadingRegion = {17, 3, 111, 32};
// The line 乗車当日限り有効.
constexpr PixelBox kValidityLine = {17, 73, 107, 86};

// Exact ink extent of each figure in its 40 x 60 cell.
extern const PixelBox kDigitInk[10];
