// A device-independent bitmap selected into a memory device context: what the preview, the
// drawing tests and the benchmark hand the plug-in to draw into. Mostly 32 bits per pixel; a
// one-bit black-and-white canvas is what a thermal printer receives.
#pragma once

#include <windows.h>

// A DIB section's header and colour table (for BI_BITFIELDS, the three masks in its first entries).
struct DibFormat {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  void *bits;    // top-down rows, each padded to 4 bytes
  DWORD *pixels; // the same bits, for a 32-bit canvas
  DibFormat format;
  int width, height;
};

// Top-down rows of `bits` bits per pixel, uncompressed, with an empty colour table.
inline DibFormat TopDownFormat(int width, int height, int bits) {
  DibFormat f = {};
  f.header.biSize = sizeof(BITMAPINFOHEADER);
  f.header.biWidth = width;
  f.header.biHeight = -height;
  f.header.biPlanes = 1;
  f.header.biBitCount = static_cast<WORD>(bits);
  f.header.biCompression = BI_RGB;
  return f;
}

// One bit per pixel, entry 0 black and entry 1 white: a thermal printer's page.
inline DibFormat BlackAndWhiteFormat(int width, int height) {
  DibFormat f = TopDownFormat(width, height, 1);
  f.header.biClrUsed = 2;
  f.colours[1] = {0xFF, 0xFF, 0xFF, 0};
  return f;
}

inline DWORD RowBytes(const DibFormat &f) {
  return ((f.header.biWidth * f.header.biBitCount + 31) / 32) * 4;
}

// Makes the canvas with every bit 0; false when the system refuses it.
inline bool MakeDibCanvas(Canvas &c, const DibFormat &format) {
  c = {};
  c.format = format;
  c.width = format.header.biWidth;
  c.height = -format.header.biHeight;
  c.dc = CreateCompatibleDC(nullptr);
  c.bitmap = CreateDIBSection(c.dc, reinterpret_cast<const BITMAPINFO *>(&c.format), DIB_RGB_COLORS,
                              &c.bits, nullptr, 0);
  if (!c.dc || !c.bitmap)
    return false;
  c.previous = SelectObject(c.dc, c.bitmap);
  c.pixels = format.header.biBitCount == 32 ? static_cast<DWORD *>(c.bits) : nullptr;
  return true;
}

// A 32-bit canvas filled with one colour.
inline bool MakeCanvas(Canvas &c, int width, int height, DWORD fill) {
  if (!MakeDibCanvas(c, TopDownFormat(width, height, 32)))
    return false;
  for (int i = 0; i < width * height; ++i)
    c.pixels[i] = fill;
  return true;
}

inline void FreeCanvas(Canvas &c) {
  SelectObject(c.dc, c.previous);
  DeleteObject(c.bitmap);
  DeleteDC(c.dc);
}
