// What the viewer must show, made here without the plug-in's code: each ticket drawn by the
// platform's own image-list calls from the module's bitmaps, as the design places them; and the
// broken copies of the product the viewer is shown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "tools/view/picture.h"

// The ticket on a white canvas of the design's size, 32 bits or one bit per pixel.
Picture PlatformTicket(HMODULE module, int32_t number, bool oneBit);
// Tickets 0 to 99 as the viewer lays its sheet out.
Picture PlatformSheet(HMODULE module, bool oneBit);
// The picture twice as large, each pixel a 2 x 2 block.
Picture Doubled(const Picture &picture);

// A copy of the product with some pixels of glyph 4 (bitmap 204) inverted; empty on failure.
std::wstring PlantGlyph4Difference(const std::wstring &product, const std::wstring &copy);
// A copy of the product whose DrawSeiriken export is named otherwise.
std::wstring WithoutDrawExport(const std::wstring &product, const std::wstring &copy);
