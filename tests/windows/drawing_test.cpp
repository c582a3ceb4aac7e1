// Has the plug-in draw tickets through real image lists and checks what it draws:
//  - into a 32-bit DIB section, every pixel against a picture composed here from the committed
//    bitmaps, decoded on their own;
//  - into every kind of device context a host hands it (1 bit black and white as a thermal
//    printer's, 4 and 8 bits with colour tables, 16 bits 5-5-5 and 5-6-5, 24 and 32 bits, a
//    bitmap compatible with the screen), also with the host's origin moved and its clipping set:
//    every bit as the platform's own copy of the checked 32-bit picture into the same surface;
//  - into an enhanced metafile, played back, against the same platform calls made directly;
//  - with --threads, from eight threads at once, each with a device context of its own.
// Counting wrappers in the module's import table show that every bitmap, image list and heap
// block it makes is gone again after each call, also after a soak of 2,000 tickets.
//   drawing_test MODULE RESOURCES_FOLDER [--threads]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/plugin_interface.h"
#include "resources/ticket_sizes.h"
#include "tools/check/resulting_tickets.h"
#include "tests/windows/check.h"
#include "tests/windows/heap_counter.h"
#include "tools/check/platform_drawing.h"
#include "tools/png/bmp_file.h"
#include "tools/preview/canvas.h"

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

const int RowCount = sizeof ResultingTickets / sizeof ResultingTickets[0];

// The kinds of device context a host hands the plug-in: DIB sections and device-dependent
// bitmaps (a monochrome one, as a one-bit printer's, and one compatible with the screen). The
// colour tables: black and white (2 entries), the standard VGA colours (16) and a 6 x 6 x 6
// colour cube (216), where the face's greys must be matched to colours that differ from them.
enum SurfaceKind { OneBit, FourBit, EightBit, Rgb555, Rgb565, Rgb24, Rgb32, Monochrome, Screen };
struct Surface {
  const char *name;
  bool deviceDependent;
  int bits; // of a device-dependent bitmap: 1, or 0 for the screen's depth
  int colours;
  DWORD masks[3]; // BI_BITFIELDS
};
const Surface Surfaces[] = {
    {"1 bpp black and white", false, 1, 2, {}},
    {"4 bpp 16 colours", false, 4, 16, {}},
    {"8 bpp colour cube", false, 8, 216, {}},
    {"16 bpp 5-5-5", false, 16, 0, {0x7C00, 0x03E0, 0x001F}},
    {"16 bpp 5-6-5", false, 16, 0, {0xF800, 0x07E0, 0x001F}},
    {"24 bpp", false, 24, 0, {}},
    {"32 bpp", false, 32, 0, {}},
    {"monochrome device-dependent", true, 1, 0, {}},
    {"compatible with the screen", true, 0, 0, {}},
};

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

bool MakeSurface(Canvas &c, const Surface &s) {
  if (s.deviceDependent) {
    c = {};
    HDC screen = GetDC(nullptr);
    c.dc = CreateCompatibleDC(screen);
    c.bitmap = s.bits == 1 ? CreateBitmap(CanvasWidth, CanvasHeight, 1, 1, nullptr)
                           : CreateCompatibleBitmap(screen, CanvasWidth, CanvasHeight);
    ReleaseDC(nullptr, screen);
    c.previous = SelectObject(c.dc, c.bitmap);
    return c.dc && c.bitmap;
  }
  DibFormat f = TopDownFormat(CanvasWidth, CanvasHeight, s.bits);
  if (s.masks[0]) {
    f.header.biCompression = BI_BITFIELDS;
    std::memcpy(f.colours, s.masks, sizeof s.masks);
  }
  f.header.biClrUsed = s.colours;
  for (int i = 0; i < s.colours; ++i)
    f.colours[i] = TableColour(s.colours, i);
  return MakeDibCanvas(c, f);
}

// A surface's bits as the system holds them, read and written through GDI alike for DIB
// sections and the screen's bitmaps.
std::vector<BYTE> BitsOf(HBITMAP bitmap) {
  BITMAP b = {};
  GetObjectA(bitmap, sizeof b, &b);
  std::vector<BYTE> bytes(static_cast<size_t>(b.bmWidthBytes) * b.bmHeight);
  GetBitmapBits(bitmap, static_cast<LONG>(bytes.size()), bytes.data());
  return bytes;
}

void FillWithSentinel(HBITMAP bitmap) {
  std::vector<BYTE> bytes = BitsOf(bitmap);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<BYTE>((i * 37 + 11) % 200); // within every colour table
  SetBitmapBits(bitmap, static_cast<DWORD>(bytes.size()), bytes.data());
}

// What a host may have set on its device context: the plug-in must leave all of it as it was.
std::vector<LONG_PTR> StateOf(HDC dc) {
  POINT viewport, window;
  GetViewportOrgEx(dc, &viewport);
  GetWindowOrgEx(dc, &window);
  RECT clip;
  LONG_PTR clipKind = GetClipBox(dc, &clip);
  std::vector<LONG_PTR> state = {viewport.x, viewport.y, window.x,   window.y,   clipKind,
                                 clip.left,  clip.top,   clip.right, clip.bottom};
  for (int setting :
       {GetBkMode(dc), GetROP2(dc), GetMapMode(dc), GetStretchBltMode(dc), GetPolyFillMode(dc)})
    state.push_back(setting);
  for (DWORD setting : {GetBkColor(dc), GetTextColor(dc), DWORD{GetTextAlign(dc)}})
    state.push_back(setting);
  for (UINT type : {OBJ_BITMAP, OBJ_BRUSH, OBJ_PEN, OBJ_FONT, OBJ_PAL})
    state.push_back(reinterpret_cast<LONG_PTR>(GetCurrentObject(dc, type)));
  return state;
}

// Where the host puts the ticket and how it clips, on which surface: every surface at the
// origin; moved origins, one partly off the surface; clip regions through the face and a cell.
enum Clip { Unclipped, Ellipse, Hole };
struct Placement {
  SurfaceKind surface;
  POINT origin;
  Clip clip;
};
const Placement Placements[] = {
    // clang-format off
    {OneBit, {0, 0}, Unclipped}, {FourBit, {0, 0}, Unclipped}, {EightBit, {0, 0}, Unclipped},
    {Rgb555, {0, 0}, Unclipped}, {Rgb565, {0, 0}, Unclipped}, {Rgb24, {0, 0}, Unclipped},
    {Rgb32, {0, 0}, Unclipped}, {Monochrome, {0, 0}, Unclipped}, {Screen, {0, 0}, Unclipped},
    {Rgb32, {20, 15}, Unclipped}, {Rgb32, {-30, -10}, Unclipped}, {Rgb32, {5, 3}, Ellipse},
    {OneBit, {3, 5}, Hole}, {FourBit, {37, 29}, Ellipse},
    // clang-format on
};

const int PlacementCount = sizeof Placements / sizeof Placements[0];

HRGN MakeClip(Clip clip) {
  if (clip == Ellipse)
    return CreateEllipticRgn(10, 5, 200, 100);
  if (clip != Hole)
    return nullptr;
  HRGN region = CreateRectRgn(0, 0, CanvasWidth, CanvasHeight);
  HRGN hole = CreateRectRgn(100, 30, 180, 60);
  CombineRgn(region, region, hole, RGN_DIFF);
  DeleteObject(hole);
  return region;
}

// The module draws the ticket into a fresh surface with the host's origin and clipping set; the
// reference is the platform's own copy of the checked 32-bit picture into the same kind of
// surface at that place under that clipping. Every bit must agree (outside the ticket both keep
// the sentinel), and the device context must come back as the host set it.
void CheckAgainstPlatformCopy(DrawSeirikenFunction draw, HDC picture, INT ticket,
                              const Placement &p) {
  const Surface &s = Surfaces[p.surface];
  Canvas reference = {}, drawn = {};
  HRGN clip = MakeClip(p.clip);
  bool made = MakeSurface(reference, s);
  made = MakeSurface(drawn, s) && made; // both made, so that both can be freed
  if (CHECK(made, "%s: no surface", s.name)) {
    for (Canvas *c : {&reference, &drawn}) {
      FillWithSentinel(c->bitmap);
      SelectClipRgn(c->dc, clip);
    }
    std::vector<BYTE> untouched = BitsOf(reference.bitmap);
    BitBlt(reference.dc, p.origin.x, p.origin.y, FaceWidth, FaceHeight, picture, 0, 0, SRCCOPY);
    SetViewportOrgEx(drawn.dc, p.origin.x, p.origin.y, nullptr);
    std::vector<LONG_PTR> state = StateOf(drawn.dc);
    draw(drawn.dc, 0, 0, 0, 0, ticket, 0, 0);
    GdiFlush();
    std::vector<BYTE> want = BitsOf(reference.bitmap), got = BitsOf(drawn.bitmap);
    bool sameState = StateOf(drawn.dc) == state;
    CHECK(
        want != untouched && got == want && sameState,
        "ticket %d into %s at (%ld, %ld), clip %d: first differing byte %d of %u; reference "
        "drawn %d, device context unchanged %d",
        ticket, s.name, p.origin.x, p.origin.y, p.clip,
        static_cast<int>(std::mismatch(want.begin(), want.end(), got.begin()).first - want.begin()),
        static_cast<unsigned>(want.size()), want != untouched, sameState);
  }
  FreeCanvas(reference);
  FreeCanvas(drawn);
  if (clip)
    DeleteObject(clip);
}

// Names of the record types that drawings of image lists leave in a metafile.
const struct {
  DWORD type;
  const char *name;
} RecordNames[] = {{EMR_HEADER, "HEADER"},
                   {EMR_EOF, "EOF"},
                   {EMR_BITBLT, "BITBLT"},
                   {EMR_STRETCHBLT, "STRETCHBLT"},
                   {EMR_STRETCHDIBITS, "STRETCHDIBITS"},
                   {EMR_ALPHABLEND, "ALPHABLEND"}};

int CALLBACK CollectType(HDC, HANDLETABLE *, const ENHMETARECORD *record, int, LPARAM types) {
  reinterpret_cast<std::vector<DWORD> *>(types)->push_back(record->iType);
  return 1;
}

// Records a drawing into an enhanced metafile, as a host does for printing or print preview, and
// plays it back into the ticket's rectangle of a fresh 32-bit canvas. Gives the pixels played
// and the types of the records in order.
template <class Drawing>
std::vector<DWORD> RecordAndPlay(Drawing drawing, std::vector<DWORD> &types) {
  HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  drawing(recorder);
  HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
  types.clear();
  EnumEnhMetaFile(nullptr, metafile, CollectType, &types, nullptr);
  std::vector<DWORD> pixels;
  Canvas c;
  if (metafile && MakeCanvas(c, CanvasWidth, CanvasHeight, Sentinel)) {
    RECT ticket = {0, 0, FaceWidth - 1,
                   FaceHeight - 1}; // right and bottom edges included, as in the frame
    PlayEnhMetaFile(c.dc, metafile, &ticket);
    GdiFlush();
    pixels.assign(c.pixels, c.pixels + CanvasWidth * CanvasHeight);
    FreeCanvas(c);
  }
  DeleteEnhMetaFile(metafile);
  return pixels;
}

void PrintRecords(const std::vector<DWORD> &types) {
  for (DWORD type : types) {
    const char *name = nullptr;
    for (const auto &known : RecordNames)
      name = known.type == type ? known.name : name;
    name ? std::printf(" %s", name) : std::printf(" type %lu", type);
  }
  std::printf("\n");
}

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
    w->wrong += w->draw(c.dc, 0, 0, 0, 0, ResultingTickets[row].ticket, 0, 0) != 0;
    GdiFlush();
    int at;
    w->wrong += !SamePicture(c.pixels, (*w->expected)[row], &at);
  }
  FreeCanvas(c);
  return 0;
}

int RunThreads(DrawSeirikenFunction draw, const Artwork &art) {
  std::vector<std::vector<DWORD>> expected;
  for (const ResultingTicket &row : ResultingTickets)
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
  CHECK(art.face.width == FaceWidth && art.face.height == FaceHeight, "face %d x %d",
        art.face.width, art.face.height);
  for (int k = 0; k < 10; ++k) {
    art.digits[k] = ReadBitmap(folder + "/digit_" + std::to_string(k) + ".bmp");
    CHECK(art.digits[k].width == GlyphWidth && art.digits[k].height == GlyphHeight,
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
  HDC dc = canvas.dc;
  DWORD *pixels = canvas.pixels;

  unsigned seed = 12345;
  auto random = [&seed] { return static_cast<INT>(seed = seed * 1103515245u + 12345u); };
  int calls = 0;
  for (const ResultingTicket &row : ResultingTickets) {
    std::vector<DWORD> expected = Expected(art, row.tens, row.units);
    // The plain call, then calls with random values in every argument that is not read and in
    // the upper half of the ticket-number argument: all must give the same picture.
    for (int variant = 0; variant < 4; ++variant) {
      std::fill(pixels, pixels + CanvasWidth * CanvasHeight, Sentinel);
      INT ticket = row.ticket;
      INT a2 = 0, a3 = 0, a4 = 0, a5 = 0, a7 = 0, a8 = 0;
      if (variant > 0) {
        ticket = (row.ticket & 0xFFFF) | (random() & 0xFFFF0000);
        a2 = random(), a3 = random(), a4 = random(), a5 = random(), a7 = random(), a8 = random();
      }
      live.adds = 0;
      INT result = draw(dc, a2, a3, a4, a5, ticket, a7, a8);
      GdiFlush();
      ++calls;
      int at = -1;
      bool same = SamePicture(pixels, expected, &at);
      CHECK(result == 0 && same && live.adds == 11,
            "ticket argument %d (variant %d): result %d, adds %ld, first wrong pixel (%d, %d) "
            "%08lx instead of %08lx",
            row.ticket, variant, result, live.adds, at % CanvasWidth, at / CanvasWidth,
            at >= 0 ? pixels[at] : 0, at >= 0 ? expected[at] : 0);
    }
    // The canvas now holds the checked picture: the reference for every other surface.
    for (const Placement &placement : Placements)
      CheckAgainstPlatformCopy(draw, dc, row.ticket, placement);
    calls += PlacementCount;
  }
  HDC screen = GetDC(nullptr);
  std::printf("%d tickets in %d surfaces and placements each, against the platform's copy (the "
              "screen's bitmaps: %d bits per pixel)\n",
              RowCount, PlacementCount, GetDeviceCaps(screen, BITSPIXEL));
  ReleaseDC(nullptr, screen);
  CHECK(live.bitmaps == 0 && live.imageLists == 0 && HeapCounter::liveBlocks == 0,
        "live bitmaps %ld, image lists %ld, heap blocks %ld", live.bitmaps, live.imageLists,
        HeapCounter::liveBlocks);

  // Metafiles of a ticket with two glyphs and of one with the tens cell left to the face.
  for (const ResultingTicket &row : {ResultingTickets[3], ResultingTickets[1]}) {
    std::vector<DWORD> types, directTypes;
    std::vector<DWORD> played =
        RecordAndPlay([&](HDC recorder) { draw(recorder, 0, 0, 0, 0, row.ticket, 0, 0); }, types);
    std::vector<DWORD> direct = RecordAndPlay(
        [&](HDC recorder) { DrawWithPlatformCalls(module, recorder, row.tens, row.units); },
        directTypes);
    ++calls;
    CHECK(!played.empty() && played == direct && types == directTypes,
          "ticket %d: the metafile plays back unlike the platform calls' metafile", row.ticket);
    int at;
    std::printf(
        "metafile of ticket %d, played back %s the ticket drawn into a DIB section:", row.ticket,
        SamePicture(played.data(), Expected(art, row.tens, row.units), &at) ? "as" : "unlike");
    PrintRecords(types);
  }

  // A soak: still no bitmap, image list or heap block left behind, and every result 0.
  int nonzero = 0;
  for (int i = 0; i < 2000; ++i, ++calls)
    nonzero += draw(dc, random(), random(), random(), random(), i * 37 - 1000, 0, 0) != 0;
  std::printf("%d tickets drawn; live bitmaps %ld, image lists %ld, heap blocks %ld; %ld debug "
              "lines\n",
              calls, live.bitmaps, live.imageLists, HeapCounter::liveBlocks,
              HeapCounter::debugLines);
  CHECK(nonzero == 0, "%d results not 0", nonzero);
  CHECK(live.bitmaps == 0 && live.imageLists == 0 && HeapCounter::liveBlocks == 0,
        "live bitmaps %ld, image lists %ld, heap blocks %ld", live.bitmaps, live.imageLists,
        HeapCounter::liveBlocks);
  CHECK(HeapCounter::debugLines == 0, "%ld debug lines", HeapCounter::debugLines);

  FreeCanvas(canvas);
  return Summary("drawing");
}
