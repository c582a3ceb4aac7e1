// Times one DrawSeiriken against the same platform calls made directly, for the same ticket, in
// the same run: both image lists created, the eleven bitmaps loaded, added and deleted, the face
// and two glyphs drawn, both lists destroyed. The ratio is what the plug-in's own work costs.
// Measured into a 32-bit canvas and into a one-bit black-and-white one, as a thermal printer's.
//   draw_benchmark MODULE [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plugin/plugin_interface.h"
#include "resources/ticket_sizes.h"
#include "tools/check/platform_drawing.h"
#include "tools/preview/canvas.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Ticket 42 both ways into one canvas; prints the medians and their ratio.
void Measure(const char *what, HDC dc, DrawSeirikenFunction draw, HMODULE module, int rounds) {
  const int perRound = 25;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  // Warm both paths, then alternate blocks so that drift in the machine's speed hits both.
  draw(dc, 0, 0, 0, 0, 42, 0, 0);
  DrawWithPlatformCalls(module, dc, 4, 2);
  std::vector<double> plugin, direct;
  for (int round = 0; round < rounds; ++round) {
    QueryPerformanceCounter(&start);
    for (int i = 0; i < perRound; ++i)
      draw(dc, 0, 0, 0, 0, 42, 0, 0);
    QueryPerformanceCounter(&end);
    plugin.push_back(Seconds(start, end, frequency) / perRound);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < perRound; ++i)
      DrawWithPlatformCalls(module, dc, 4, 2);
    QueryPerformanceCounter(&end);
    direct.push_back(Seconds(start, end, frequency) / perRound);
  }
  double p = Median(plugin), d = Median(direct);
  std::printf("%d-bit, into %-6s: DrawSeiriken %.3f ms, the same platform calls directly %.3f ms, "
              "ratio %.3f (median of %d rounds of %d)\n",
              static_cast<int>(sizeof(void *) * 8), what, p * 1e3, d * 1e3, p / d, rounds,
              perRound);
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: draw_benchmark MODULE [ROUNDS]\n");
    return 2;
  }
  int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  HMODULE module = LoadLibraryA(argv[1]);
  DrawSeirikenFunction draw = module ? FindPluginExports(module).drawSeiriken : nullptr;
  if (!draw) {
    std::fprintf(stderr, "cannot load DrawSeiriken from %s\n", argv[1]);
    return 1;
  }
  Canvas colour = {}, oneBit = {};
  if (!MakeCanvas(colour, FaceWidth, FaceHeight, 0xFFFFFFFF) ||
      !MakeDibCanvas(oneBit, BlackAndWhiteFormat(FaceWidth, FaceHeight))) {
    std::fprintf(stderr, "cannot make a canvas\n");
    return 1;
  }
  Measure("32 bpp", colour.dc, draw, module, rounds);
  Measure("1 bpp", oneBit.dc, draw, module, rounds);
  FreeCanvas(colour);
  FreeCanvas(oneBit);
  return 0;
}
