// Times one DrawSeiriken against the same platform calls made directly, for the same ticket, in
// the same run: both image lists created, the eleven bitmaps loaded, added and deleted, the face
// and two glyphs drawn, both lists destroyed. The ratio is what the plug-in's own work costs.
//   draw_benchmark MODULE [ROUNDS]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plugin/plugin_interface.h"
#include "resources/resource_ids.h"
#include "resources/ticket_sizes.h"
#include "tools/preview/canvas.h"

namespace {

// Ticket 42, drawn with the platform calls alone.
void DrawDirectly(HMODULE module, HDC dc) {
  HIMAGELIST digits = ImageList_Create(GlyphWidth, GlyphHeight, ILC_COLOR32, 0, 0);
  HIMAGELIST face = ImageList_Create(FaceWidth, FaceHeight, ILC_COLOR32, 0, 0);
  for (int id = IDB_DIGIT_0; id <= IDB_DIGIT_9; ++id) {
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(id));
    ImageList_Add(digits, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_TICKET_FACE));
  ImageList_Add(face, bitmap, nullptr);
  DeleteObject(bitmap);
  ImageList_Draw(face, 0, dc, 0, 0, ILD_NORMAL);
  ImageList_Draw(digits, 4, dc, 121, 18, ILD_NORMAL);
  ImageList_Draw(digits, 2, dc, 161, 18, ILD_NORMAL);
  ImageList_Destroy(face);
  ImageList_Destroy(digits);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: draw_benchmark MODULE [ROUNDS]\n");
    return 2;
  }
  int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  const int perRound = 25;
  HMODULE module = LoadLibraryA(argv[1]);
  DrawSeirikenFunction draw = module ? FindPluginExports(module).drawSeiriken : nullptr;
  if (!draw) {
    std::fprintf(stderr, "cannot load DrawSeiriken from %s\n", argv[1]);
    return 1;
  }
  Canvas canvas;
  if (!MakeCanvas(canvas, FaceWidth, FaceHeight, 0xFFFFFFFF)) {
    std::fprintf(stderr, "cannot make a canvas\n");
    return 1;
  }
  HDC dc = canvas.dc;

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  // Warm both paths, then alternate blocks so that drift in the machine's speed hits both.
  draw(dc, 0, 0, 0, 0, 42, 0, 0);
  DrawDirectly(module, dc);
  std::vector<double> plugin, direct;
  for (int round = 0; round < rounds; ++round) {
    QueryPerformanceCounter(&start);
    for (int i = 0; i < perRound; ++i)
      draw(dc, 0, 0, 0, 0, 42, 0, 0);
    QueryPerformanceCounter(&end);
    plugin.push_back(Seconds(start, end, frequency) / perRound);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < perRound; ++i)
      DrawDirectly(module, dc);
    QueryPerformanceCounter(&end);
    direct.push_back(Seconds(start, end, frequency) / perRound);
  }
  double p = Median(plugin), d = Median(direct);
  std::printf("%d-bit: DrawSeiriken %.3f ms, the same platform calls directly %.3f ms, "
              "ratio %.3f (median of %d rounds of %d)\n",
              static_cast<int>(sizeof(void *) * 8), p * 1e3, d * 1e3, p / d, rounds, perRound);
  FreeCanvas(canvas);
  return 0;
}
