// Pictures as the viewer shows, saves, copies and prints them: plain 32-bit pixels, and the few
// ways it puts them together (a sheet of tickets, pictures side by side, the differences of two).
#pragma once

#include <cstdint>
#include <vector>

#include "common/canvas.h"

// `height` rows of `width` pixels, top row first; each pixel 0x00RRGGBB.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

const uint32_t White = 0xFFFFFF, Black = 0x000000, Marked = 0xFF0000;

// The canvas's pixels, whatever its bits per pixel (32, or 1 through its colour table).
Picture PictureOf(const Canvas &canvas);

// Tickets 0 to 99 in the sheet's layout, on its grey ground (black for a one-bit sheet, as a
// thermal printer's paper between tickets would show nothing but their edges).
Picture ComposeSheet(const std::vector<Picture> &tickets, int ticketWidth, int ticketHeight,
                     bool oneBit);

// The pictures left to right with a gap, their tops aligned, on a grey ground.
Picture SideBySide(const std::vector<const Picture *> &pictures);

// `first` faded, with every pixel where `second` differs (or lies beyond the other's edge) in the
// marking colour; *count is how many pixels differ.
Picture Differences(const Picture &first, const Picture &second, int *count);

// How many pixels differ between two pictures (those beyond one's edge included).
int CountDifferences(const Picture &first, const Picture &second);
