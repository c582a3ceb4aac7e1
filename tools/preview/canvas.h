// A 32-bit top-down bitmap selected into a memory device context: what the preview, the
// drawing tests and the benchmark hand the plug-in to draw into.
#pragma once

#include <windows.h>

struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  DWORD *pixels;
  int width, height;
};

// Makes the canvas filled with one colour; false when the system refuses it.
inline bool MakeCanvas(Canvas &c, int width, int height, DWORD fill) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  c.dc = CreateCompatibleDC(nullptr);
  c.bitmap = CreateDIBSection(c.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!c.dc || !c.bitmap)
    return false;
  c.previous = SelectObject(c.dc, c.bitmap);
  c.pixels = static_cast<DWORD *>(bits);
  c.width = width;
  c.height = height;
  for (int i = 0; i < width * height; ++i)
    c.pixels[i] = fill;
  return true;
}

inline void FreeCanvas(Canvas &c) {
  SelectObject(c.dc, c.previous);
  DeleteObject(c.bitmap);
  DeleteDC(c.dc);
}
