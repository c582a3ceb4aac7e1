// Has the plug-in draw tickets through real image lists and checks every pixel against a picture
// composed here from the committed bitmaps, decoded on their own: what tkt-check cannot do, since
// it carries no bitmaps and judges the module by its own. With --threads, eight threads draw at
// once, each into a device context of its own. Counting wrappers in the module's import table
// show that every bitmap, image list and heap block it makes is gone again.
//   drawing_test MODULE RESOURCES_FOLDER [--threads]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/bmp_file.h"
#include "common/canvas.h"
#include "design/resulting_tickets.h"
#include "design/ticket_design.h"
#include "plugin/plugin_interface.h"
#include "tests/windows/check.h"
#include "tests/windows/heap_counter.h"

namespace {

const int CanvasWidth = 256, CanvasHeight = 128;
const DWORD Sentinel = 0x5A3C7E91; // a colour no bitmap has, alpha included
const DWORD Rgb = 0x00FFFFFF;

// The committed bitmaps, decoded by the project's own reader rather than the system's.
struct Artwork {
  BmpImage face;
  BmpImage digits[10];
};

BmpImage ReadBitmap(const std::string &path) {
  BmpImage image;
  std::string error;
  CHECK(ReadBmpFile(path.c_str(), &image, &error), "%s: %s", path.c_str(), error.c_str());
  return image;
}

// What the ticket must look like on the canvas: the face at the origin, the glyphs in their
// cells, the sentinel everywhere else. A glyph of -1 leaves the cell to the face.
std::vector<DWORD> Expected(const Artwork &art, int tens, int units) {
  std::vector<DWORD> canvas(CanvasWidth * CanvasHeight, Sentinel);
  auto place = [&](const BmpImage &p, int left, int top) {
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        canvas[(top + y) * CanvasWidth + left + x] = p.pixels[y * p.width + x];
  };
  place(art.face, 0, 0);
  if (tens >= 0)
    place(art.digits[tens], design::TensCellX, design::CellY);
  place(art.digits[units], design::UnitsCellX, design::CellY);
  return canvas;
}

// Pixels inside the face compare by colour (how the alpha byte is left is the system's affair);
// outside it nothing may change at all.
bool SamePicture(const DWORD *drawn, const std::vector<DWORD> &expected, int *firstDifference) {
  for (int y = 0; y < CanvasHeight; ++y)
    for (int x = 0; x < CanvasWidth; ++x) {
      int i = y * CanvasWidth + x;
      bool inside = x < design::FaceWidth && y < design::FaceHeight;
      DWORD mask = inside ? Rgb : 0xFFFFFFFF;
      if ((drawn[i] & mask) != (expected[i] & mask)) {
        *firstDifference = i;
        return false;
      }
    }
  return true;
}

// Live objects the module made, counted through its import table (from any thread).
struct Live {
  volatile LONG bitmaps, imageLists, adds;
} live;

decltype(&LoadBitmapA) realLoadBitmap;
decltype(&DeleteObject) realDeleteObject;
decltype(&ImageList_Create) realCreate;
decltype(&ImageList_Destroy) realDestroy;
decltype(&ImageList_Add) realAdd;

HBITMAP WINAPI CountLoadBitmap(HINSTANCE module, LPCSTR name) {
  HBITMAP bitmap = realLoadBitmap(module, name);
  if (bitmap)
    InterlockedIncrement(&live.bitmaps);
  return bitmap;
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
  BOOL deleted = realDeleteObject(object);
  if (deleted)
    InterlockedDecrement(&live.bitmaps);
  return deleted;
}
HIMAGELIST WINAPI CountCreate(int cx, int cy, UINT flags, int initial, int grow) {
  HIMAGELIST list = realCreate(cx, cy, flags, initial, grow);
  if (list)
    InterlockedIncrement(&live.imageLists);
  return list;
}
BOOL WINAPI CountDestroy(HIMAGELIST list) {
  BOOL destroyed = realDestroy(list);
  if (destroyed)
    InterlockedDecrement(&live.imageLists);
  return destroyed;
}
int WINAPI CountAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  InterlockedIncrement(&live.adds);
  return realAdd(list, image, mask);
}

template <class Function>
void Hook(HMODULE module, const char *dll, const char *name, Function replacement,
          Function &original) {
  original = reinterpret_cast<Function>(
      HookImport(module, dll, name, reinterpret_cast<void *>(replacement)));
  CHECK(original != nullptr, "the module does not import %s!%s", dll, name);
}

const int RowCount = sizeof design::ResultingTickets / sizeof design::ResultingTickets[0];

// Eight threads draw at once, each into a device context of its own and each on another ticket
// at any moment; every picture is checked.
const int Threads = 8, DrawsPerThread = 200;
struct Worker {
  DrawSeirikenFunction draw;
  const std::vector<std::vector<DWORD>> *expected;
  int first, wrong;
};

DWORD WINAPI DrawTickets(LPVOID parameter) {
  auto w = static_cast<Worker *>(parameter);
  Canvas c;
  if (!MakeCanvas(c, CanvasWidth, CanvasHeight, Sentinel)) {
    w->wrong = DrawsPerThread;
    return 0;
  }
  for (int i = 0; i < DrawsPerThread; ++i) {
    int row = (w->first + i) % RowCount;
    std::fill(c.pixels, c.pixels + CanvasWidth * CanvasHeight, Sentinel);
    w->wrong += w->draw(c.dc, 0, 0, 0, 0, design::ResultingTickets[row].ticket, 0, 0) != 0;
    GdiFlush();
    int at;
    w->wrong += !SamePicture(c.pixels, (*w->expected)[row], &at);
  }
  FreeCanvas(c);
  return 0;
}

int RunThreads(DrawSeirikenFunction draw, const Artwork &art) {
  std::vector<std::vector<DWORD>> expected;
  for (const design::ResultingTicket &row : design::ResultingTickets)
    expected.push_back(Expected(art, row.tens, row.units));
  HANDLE threads[Threads];
  Worker workers[Threads];
  for (int i = 0; i < Threads; ++i) {
    workers[i] = {draw, &expected, i, 0};
    threads[i] = CreateThread(nullptr, 0, DrawTickets, &workers[i], 0, nullptr);
  }
  WaitForMultipleObjects(Threads, threads, TRUE, INFINITE);
  for (int i = 0; i < Threads; ++i) {
    CloseHandle(threads[i]);
    CHECK(workers[i].wrong == 0, "thread %d: %d wrong tickets", i, workers[i].wrong);
  }
  std::printf("%d threads x %d tickets; live bitmaps %ld, image lists %ld, heap blocks %ld\n",
              Threads, DrawsPerThread, live.bitmaps, live.imageLists, HeapCounter::liveBlocks);
  CHECK(live.bitmaps == 0 && live.imageLists == 0 && HeapCounter::liveBlocks == 0,
        "live bitmaps %ld, image lists %ld, heap blocks %ld", live.bitmaps, live.imageLists,
        HeapCounter::liveBlocks);
  return Summary("drawing threads");
}

} // namespace

int main(int argc, char **argv) {
  bool threads = argc == 4 && std::strcmp(argv[3], "--threads") == 0;
  if (argc != 3 && !threads) {
    std::printf("usage: drawing_test MODULE RESOURCES_FOLDER [--threads]\n");
    return 2;
  }
  std::printf("module: %s (%d-bit test program)\n", argv[1], static_cast<int>(sizeof(void *) * 8));
  Artwork art;
  std::string folder = argv[2];
  art.face = ReadBitmap(folder + "/ticket_face.bmp");
  CHECK(art.face.width == design::FaceWidth && art.face.height == design::FaceHeight,
        "face %d x %d", art.face.width, art.face.height);
  for (int k = 0; k < 10; ++k) {
    art.digits[k] = ReadBitmap(folder + "/digit_" + std::to_string(k) + ".bmp");
    CHECK(art.digits[k].width == design::GlyphWidth && art.digits[k].height == design::GlyphHeight,
          "digit %d: %d x %d", k, art.digits[k].width, art.digits[k].height);
  }

  HMODULE module = LoadLibraryA(argv[1]);
  DrawSeirikenFunction draw = module ? FindPluginExports(module).drawSeiriken : nullptr;
  if (!CHECK(draw != nullptr, "cannot load DrawSeiriken from %s", argv[1]))
    return Summary("drawing");
  Hook(module, "USER32.dll", "LoadBitmapA", &CountLoadBitmap, realLoadBitmap);
  Hook(module, "GDI32.dll", "DeleteObject", &CountDeleteObject, realDeleteObject);
  Hook(module, "COMCTL32.dll", "ImageList_Create", &CountCreate, realCreate);
  Hook(module, "COMCTL32.dll", "ImageList_Destroy", &CountDestroy, realDestroy);
  Hook(module, "COMCTL32.dll", "ImageList_Add", &CountAdd, realAdd);
  CHECK(HeapCounter::Install(module), "a heap import is missing");
  if (threads)
    return RunThreads(draw, art);

  Canvas canvas = {};
  if (!CHECK(MakeCanvas(canvas, CanvasWidth, CanvasHeight, Sentinel), "no canvas"))
    return Summary("drawing");
  for (const design::ResultingTicket &row : design::ResultingTickets) {
    std::vector<DWORD> expected = Expected(art, row.tens, row.units);
    std::fill(canvas.pixels, canvas.pixels + CanvasWidth * CanvasHeight, Sentinel);
    live.adds = 0;
    INT result = draw(canvas.dc, 0, 0, 0, 0, row.ticket, 0, 0);
    GdiFlush();
    int at = -1;
    bool same = SamePicture(canvas.pixels, expected, &at);
    CHECK(result == 0 && same && live.adds == 11,
          "ticket argument %d: result %d, adds %ld, first wrong pixel (%d, %d) %08lx instead of "
          "%08lx",
          row.ticket, result, live.adds, at % CanvasWidth, at / CanvasWidth,
          at >= 0 ? canvas.pixels[at] : 0, at >= 0 ? expected[at] : 0);
  }
  CHECK(live.bitmaps == 0 && live.imageLists == 0 && HeapCounter::liveBlocks == 0,
        "live bitmaps %ld, image lists %ld, heap blocks %ld", live.bitmaps, live.imageLists,
        HeapCounter::liveBlocks);
  FreeCanvas(canvas);
  return Summary("drawing");
}
