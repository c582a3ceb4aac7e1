// Has the plug-in draw tickets into a 32-bit DIB section through real image lists and checks
// every pixel against a picture composed here from the committed bitmaps, decoded on their own.
// Counting wrappers in the module's import table show that every bitmap, image list and heap
// block it makes is gone again after each call, also after a soak of 2,000 tickets.
//   drawing_test MODULE RESOURCES_FOLDER
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plugin/plugin_interface.h"
#include "resources/ticket_sizes.h"
#include "tests/windows/check.h"
#include "tests/windows/heap_counter.h"
#include "tests/windows/test_files.h"
#include "tools/preview/canvas.h"

namespace {

const int CanvasWidth = 256, CanvasHeight = 128;
const DWORD Sentinel = 0x5A3C7E91; // a colour no bitmap has, alpha included
const DWORD Rgb = 0x00FFFFFF;

struct Picture {
  int width = 0, height = 0;
  std::vector<DWORD> pixels; // top-down rows, 0x00RRGGBB
};

// Decodes a 4-bit bottom-up bitmap file through its own colour table.
Picture ReadBitmap(const std::string &path) {
  Picture picture;
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 64)
    return picture;
  auto file = reinterpret_cast<const BITMAPFILEHEADER *>(bytes.data());
  auto info = reinterpret_cast<const BITMAPINFOHEADER *>(bytes.data() + sizeof(BITMAPFILEHEADER));
  auto table = reinterpret_cast<const RGBQUAD *>(info + 1);
  if (info->biBitCount != 4 || info->biHeight <= 0)
    return picture;
  int stride = ((info->biWidth * 4 + 31) / 32) * 4;
  if (file->bfOffBits + static_cast<size_t>(stride) * info->biHeight > bytes.size())
    return picture;
  picture.width = info->biWidth;
  picture.height = info->biHeight;
  picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    auto row = reinterpret_cast<const unsigned char *>(bytes.data()) + file->bfOffBits +
               (picture.height - 1 - y) * stride;
    for (int x = 0; x < picture.width; ++x) {
      int entry = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
      const RGBQUAD &c = table[entry];
      picture.pixels[y * picture.width + x] = (c.rgbRed << 16) | (c.rgbGreen << 8) | c.rgbBlue;
    }
  }
  return picture;
}

struct Artwork {
  Picture face;
  Picture digits[10];
};

// What the ticket must look like on the canvas: the face at the origin, the glyphs in their
// cells, the sentinel everywhere else. A glyph of -1 leaves the cell to the face.
std::vector<DWORD> Expected(const Artwork &art, int tens, int units) {
  std::vector<DWORD> canvas(CanvasWidth * CanvasHeight, Sentinel);
  auto place = [&](const Picture &p, int left, int top) {
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        canvas[(top + y) * CanvasWidth + left + x] = p.pixels[y * p.width + x];
  };
  place(art.face, 0, 0);
  if (tens >= 0)
    place(art.digits[tens], 121, 18);
  place(art.digits[units], 161, 18);
  return canvas;
}

// Pixels inside the face compare by colour (how the alpha byte is left is the system's affair);
// outside it nothing may change at all.
bool SamePicture(const DWORD *drawn, const std::vector<DWORD> &expected, int *firstDifference) {
  for (int y = 0; y < CanvasHeight; ++y)
    for (int x = 0; x < CanvasWidth; ++x) {
      int i = y * CanvasWidth + x;
      bool inside = x < FaceWidth && y < FaceHeight;
      DWORD mask = inside ? Rgb : 0xFFFFFFFF;
      if ((drawn[i] & mask) != (expected[i] & mask)) {
        *firstDifference = i;
        return false;
      }
    }
  return true;
}

// Live objects the module made, counted through its import table.
struct Live {
  long bitmaps, imageLists, adds;
} live;

decltype(&LoadBitmapA) realLoadBitmap;
decltype(&DeleteObject) realDeleteObject;
decltype(&ImageList_Create) realCreate;
decltype(&ImageList_Destroy) realDestroy;
decltype(&ImageList_Add) realAdd;

HBITMAP WINAPI CountLoadBitmap(HINSTANCE module, LPCSTR name) {
  HBITMAP bitmap = realLoadBitmap(module, name);
  live.bitmaps += bitmap != nullptr;
  return bitmap;
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
  BOOL deleted = realDeleteObject(object);
  live.bitmaps -= deleted != 0;
  return deleted;
}
HIMAGELIST WINAPI CountCreate(int cx, int cy, UINT flags, int initial, int grow) {
  HIMAGELIST list = realCreate(cx, cy, flags, initial, grow);
  live.imageLists += list != nullptr;
  return list;
}
BOOL WINAPI CountDestroy(HIMAGELIST list) {
  BOOL destroyed = realDestroy(list);
  live.imageLists -= destroyed != 0;
  return destroyed;
}
int WINAPI CountAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  ++live.adds;
  return realAdd(list, image, mask);
}

template <class Function>
void Hook(HMODULE module, const char *dll, const char *name, Function replacement,
          Function &original) {
  original = reinterpret_cast<Function>(
      HookImport(module, dll, name, reinterpret_cast<void *>(replacement)));
  CHECK(original != nullptr);
}

struct Row {
  INT sixth;
  int tens, units; // -1: the cell is left to the face
};
const Row Rows[] = {
    {0, -1, 0},     {7, -1, 7},     {10, 1, 0},     {42, 4, 2},         {99, 9, 9},
    {100, -1, 0},   {12345, -1, 0}, {32767, -1, 0}, {-1, -1, 0},        {-2, 0, 2},
    {-5, 0, 5},     {-9, 0, 9},     {-10, 0, 1},    {-99, 0, 9},        {-32768, 0, 3},
    {65541, -1, 5}, {65535, -1, 0}, {32768, 0, 3},  {0x7FFF0038, 5, 6},
};

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::printf("usage: drawing_test MODULE RESOURCES_FOLDER\n");
    return 2;
  }
  std::printf("module: %s (%d-bit test program)\n", argv[1], static_cast<int>(sizeof(void *) * 8));
  Artwork art;
  std::string folder = argv[2];
  art.face = ReadBitmap(folder + "/ticket_face.bmp");
  CHECK(art.face.width == FaceWidth && art.face.height == FaceHeight);
  for (int k = 0; k < 10; ++k) {
    art.digits[k] = ReadBitmap(folder + "/digit_" + std::to_string(k) + ".bmp");
    CHECK(art.digits[k].width == GlyphWidth && art.digits[k].height == GlyphHeight);
  }

  HMODULE module = LoadLibraryA(argv[1]);
  DrawSeirikenFunction draw = module ? FindPluginExports(module).drawSeiriken : nullptr;
  if (!CHECK(draw != nullptr))
    return Summary("drawing");
  Hook(module, "USER32.dll", "LoadBitmapA", &CountLoadBitmap, realLoadBitmap);
  Hook(module, "GDI32.dll", "DeleteObject", &CountDeleteObject, realDeleteObject);
  Hook(module, "COMCTL32.dll", "ImageList_Create", &CountCreate, realCreate);
  Hook(module, "COMCTL32.dll", "ImageList_Destroy", &CountDestroy, realDestroy);
  Hook(module, "COMCTL32.dll", "ImageList_Add", &CountAdd, realAdd);
  CHECK(HeapCounter::Install(module));

  Canvas canvas;
  if (!CHECK(MakeCanvas(canvas, CanvasWidth, CanvasHeight, Sentinel)))
    return Summary("drawing");
  HDC dc = canvas.dc;
  DWORD *pixels = canvas.pixels;

  unsigned seed = 12345;
  auto random = [&seed] { return static_cast<INT>(seed = seed * 1103515245u + 12345u); };
  int calls = 0;
  for (const Row &row : Rows) {
    std::vector<DWORD> expected = Expected(art, row.tens, row.units);
    // The plain call, then calls with random values in every argument that is not read and in
    // the upper half of the sixth: all must give the same picture.
    for (int variant = 0; variant < 4; ++variant) {
      for (int i = 0; i < CanvasWidth * CanvasHeight; ++i)
        pixels[i] = Sentinel;
      INT sixth = row.sixth;
      INT a2 = 0, a3 = 0, a4 = 0, a5 = 0, a7 = 0, a8 = 0;
      if (variant > 0) {
        sixth = (row.sixth & 0xFFFF) | (random() & 0xFFFF0000);
        a2 = random(), a3 = random(), a4 = random(), a5 = random(), a7 = random(), a8 = random();
      }
      live.adds = 0;
      INT result = draw(dc, a2, a3, a4, a5, sixth, a7, a8);
      GdiFlush();
      ++calls;
      int at = -1;
      bool same = SamePicture(pixels, expected, &at);
      if (!Check(result == 0 && same && live.adds == 11, "ticket drawn as expected", __FILE__,
                 __LINE__))
        std::printf("  sixth argument %d (variant %d): result %d, adds %ld, first wrong pixel "
                    "(%d, %d) %08lx instead of %08lx\n",
                    row.sixth, variant, result, live.adds, at % CanvasWidth, at / CanvasWidth,
                    at >= 0 ? pixels[at] : 0, at >= 0 ? expected[at] : 0);
    }
  }
  CHECK(live.bitmaps == 0 && live.imageLists == 0 && HeapCounter::liveBlocks == 0);

  // A soak: still no bitmap, image list or heap block left behind, and every result 0.
  int nonzero = 0;
  for (int i = 0; i < 2000; ++i, ++calls)
    nonzero += draw(dc, random(), random(), random(), random(), i * 37 - 1000, 0, 0) != 0;
  std::printf("%d tickets drawn; live bitmaps %ld, image lists %ld, heap blocks %ld; %ld debug "
              "lines\n",
              calls, live.bitmaps, live.imageLists, HeapCounter::liveBlocks,
              HeapCounter::debugLines);
  CHECK(nonzero == 0);
  CHECK(live.bitmaps == 0 && live.imageLists == 0 && HeapCounter::liveBlocks == 0);
  CHECK(HeapCounter::debugLines == 0);

  FreeCanvas(canvas);
  return Summary("drawing");
}
