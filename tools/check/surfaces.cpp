#include "tools/check/surfaces.h"

#include <cstring>

// The colour tables: black and white (2 entries), the standard VGA colours (16) and a 6 x 6 x 6
// colour cube (216), where greys must be matched to colours that differ from them.
const Surface Surfaces[] = {
    {"32 bpp", false, 32, 0, {}},
    {"24 bpp", false, 24, 0, {}},
    {"16 bpp 5-6-5", false, 16, 0, {0xF800, 0x07E0, 0x001F}},
    {"8 bpp colour cube", false, 8, 216, {}},
    {"4 bpp 16 colours", false, 4, 16, {}},
    {"1 bpp black and white", false, 1, 2, {}},
    {"monochrome device-dependent", true, 1, 0, {}},
    {"compatible with the screen", true, 0, 0, {}},
};
const int SurfaceCount = sizeof Surfaces / sizeof Surfaces[0];

const Surface &ThirtyTwoBits() {
  return Surfaces[0];
}

namespace {

RGBQUAD TableColour(int entries, int i) {
  BYTE r, g, b;
  if (entries == 2) {
    r = g = b = i ? 0xFF : 0;
  } else if (entries == 16) { // dark colours, silver, grey, then the bright ones
    int on = (i == 7 || i == 8) ? 7 : i & 7;
    BYTE level = i == 7 ? 0xC0 : i > 8 ? 0xFF : 0x80;
    r = (on & 1) ? level : 0, g = (on & 2) ? level : 0, b = (on & 4) ? level : 0;
  } else {
    r = static_cast<BYTE>(i / 36 * 51), g = static_cast<BYTE>(i / 6 % 6 * 51);
    b = static_cast<BYTE>(i % 6 * 51);
  }
  return {b, g, r, 0};
}

// The numbers StateOf gives, in order, by name.
const char *const SettingNames[] = {"mapping mode",
                                    "window origin x",
                                    "window origin y",
                                    "viewport origin x",
                                    "viewport origin y",
                                    "window extent x",
                                    "window extent y",
                                    "viewport extent x",
                                    "viewport extent y",
                                    "clip box kind",
                                    "clip box left",
                                    "clip box top",
                                    "clip box right",
                                    "clip box bottom",
                                    "clip region",
                                    "background mode",
                                    "raster operation",
                                    "polygon fill mode",
                                    "stretch mode",
                                    "graphics mode",
                                    "background colour",
                                    "text colour",
                                    "text alignment",
                                    "brush origin x",
                                    "brush origin y",
                                    "bitmap",
                                    "brush",
                                    "pen",
                                    "font",
                                    "palette"};

} // namespace

bool MakeSurface(Canvas &c, const Surface &s, int width, int height) {
  if (s.deviceDependent) {
    c = {};
    HDC screen = GetDC(nullptr);
    c.dc = CreateCompatibleDC(screen);
    c.bitmap = s.bits == 1 ? CreateBitmap(width, height, 1, 1, nullptr)
                           : CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    c.width = width, c.height = height;
    c.previous = c.dc && c.bitmap ? SelectObject(c.dc, c.bitmap) : nullptr;
    return c.dc && c.bitmap;
  }
  DibFormat f = TopDownFormat(width, height, s.bits);
  if (s.masks[0]) {
    f.header.biCompression = BI_BITFIELDS;
    std::memcpy(f.colours, s.masks, sizeof s.masks);
  }
  f.header.biClrUsed = s.colours;
  for (int i = 0; i < s.colours; ++i)
    f.colours[i] = TableColour(s.colours, i);
  return MakeDibCanvas(c, f);
}

std::vector<BYTE> BitsOf(HBITMAP bitmap) {
  GdiFlush();
  BITMAP b = {};
  GetObjectA(bitmap, sizeof b, &b);
  std::vector<BYTE> bytes(static_cast<size_t>(b.bmWidthBytes) * b.bmHeight);
  GetBitmapBits(bitmap, static_cast<LONG>(bytes.size()), bytes.data());
  return bytes;
}

void FillWithPattern(HBITMAP bitmap) {
  std::vector<BYTE> bytes = BitsOf(bitmap);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<BYTE>((i * 37 + 11) % 200);
  SetBitmapBits(bitmap, static_cast<DWORD>(bytes.size()), bytes.data());
}

std::vector<LONG_PTR> StateOf(HDC dc) {
  POINT window, viewport, brush;
  SIZE windowExtent, viewportExtent;
  GetWindowOrgEx(dc, &window);
  GetViewportOrgEx(dc, &viewport);
  GetWindowExtEx(dc, &windowExtent);
  GetViewportExtEx(dc, &viewportExtent);
  GetBrushOrgEx(dc, &brush);
  RECT clip;
  LONG_PTR clipKind = GetClipBox(dc, &clip);
  // The clip region's rectangles, summed into one number that any change moves.
  LONG_PTR clipRegion = 0;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc, region) == 1) {
    std::vector<BYTE> data(GetRegionData(region, 0, nullptr));
    if (!data.empty() && GetRegionData(region, static_cast<DWORD>(data.size()),
                                       reinterpret_cast<RGNDATA *>(data.data())))
      for (size_t i = 0; i < data.size(); ++i)
        clipRegion = clipRegion * 31 + data[i];
  }
  DeleteObject(region);
  std::vector<LONG_PTR> state = {GetMapMode(dc),
                                 window.x,
                                 window.y,
                                 viewport.x,
                                 viewport.y,
                                 windowExtent.cx,
                                 windowExtent.cy,
                                 viewportExtent.cx,
                                 viewportExtent.cy,
                                 clipKind,
                                 clip.left,
                                 clip.top,
                                 clip.right,
                                 clip.bottom,
                                 clipRegion,
                                 GetBkMode(dc),
                                 GetROP2(dc),
                                 GetPolyFillMode(dc),
                                 GetStretchBltMode(dc),
                                 GetGraphicsMode(dc),
                                 static_cast<LONG_PTR>(GetBkColor(dc)),
                                 static_cast<LONG_PTR>(GetTextColor(dc)),
                                 static_cast<LONG_PTR>(GetTextAlign(dc)),
                                 brush.x,
                                 brush.y};
  for (UINT type : {OBJ_BITMAP, OBJ_BRUSH, OBJ_PEN, OBJ_FONT, OBJ_PAL})
    state.push_back(reinterpret_cast<LONG_PTR>(GetCurrentObject(dc, type)));
  return state;
}

std::string ChangedSettings(const std::vector<LONG_PTR> &before,
                            const std::vector<LONG_PTR> &after) {
  std::string changed;
  for (size_t i = 0; i < before.size() && i < after.size(); ++i)
    if (before[i] != after[i])
      changed += std::string(changed.empty() ? "" : ", ") + SettingNames[i];
  return changed;
}
