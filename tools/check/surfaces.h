// The device contexts a host hands a plug-in, and what the checker reads back from them: the
// surface's bits as the system holds them, and the settings a host may have made on it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/canvas.h"

// A kind of surface: a DIB section of some format, a monochrome device-dependent bitmap (as a
// one-bit printer's), or a bitmap compatible with the screen.
struct Surface {
  const char *name;
  bool deviceDependent;
  int bits; // of a device-dependent bitmap: 1, or 0 for the screen's depth
  int colours;
  DWORD masks[3]; // BI_BITFIELDS
};

extern const Surface Surfaces[];
extern const int SurfaceCount;
// The 32-bit DIB section, the first of the table: what every other surface is compared with.
const Surface &ThirtyTwoBits();

bool MakeSurface(Canvas &c, const Surface &s, int width, int height);

std::vector<BYTE> BitsOf(HBITMAP bitmap);
// Fills the surface with a pattern of bytes that every colour table holds.
void FillWithPattern(HBITMAP bitmap);

// What a host may have set on its device context, as numbers: mapping mode, origins and
// extents, clip region, colours, modes, stretch mode and the selected objects.
std::vector<LONG_PTR> StateOf(HDC dc);
// The names of the settings that differ between two states, or empty.
std::string ChangedSettings(const std::vector<LONG_PTR> &before,
                            const std::vector<LONG_PTR> &after);
