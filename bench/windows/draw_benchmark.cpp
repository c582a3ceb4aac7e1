// Times one DrawSeiriken against the same platform calls made directly, for the same ticket, in
// the same rounds: both image lists created, the eleven bitmaps loaded, added and deleted, the face
// and two glyphs drawn, both lists destroyed. The ratio is what the plug-in's own work costs.
// Measured into a 32-bit canvas and into a one-bit black-and-white one, as a thermal printer's.
//   draw_benchmark MODULE [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/canvas.h"
#include "common/platform_drawing.h"
#include "design/ticket_design.h"
#include "plugin/plugin_interface.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// The value below which `share` of the values lie (0.5: the median).
double Quantile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(share * (values.size() - 1) + 0.5)];
}

// Ticket 42 both ways into one canvas. Each round times a short block of each, the plug-in first
// in even rounds and the direct calls first in odd ones, and takes their ratio there and then:
// a busy machine slows both blocks of a round alike, and the order cancels out. Prints the median
// time of each, and the median ratio with the middle half of the rounds' ratios, which tells a
// real change from noise.
void Measure(const char *what, HDC dc, DrawSeirikenFunction draw, HMODULE module, int rounds) {
  const int perBlock = 5;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  auto timeBlock = [&](bool viaPlugin) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < perBlock; ++i)
      if (viaPlugin)
        draw(dc, 0, 0, 0, 0, 42, 0, 0);
      else
        DrawWithPlatformCalls(module, dc, 4, 2);
    QueryPerformanceCounter(&end);
    return Seconds(start, end, frequency) / perBlock;
  };
  timeBlock(true); // warm both paths
  timeBlock(false);
  std::vector<double> plugin, direct, ratios;
  for (int round = 0; round < rounds; ++round) {
    bool pluginFirst = round % 2 == 0;
    double first = timeBlock(pluginFirst), second = timeBlock(!pluginFirst);
    plugin.push_back(pluginFirst ? first : second);
    direct.push_back(pluginFirst ? second : first);
    ratios.push_back(plugin.back() / direct.back());
  }
  std::printf("%d-bit, into %-6s: DrawSeiriken %.3f ms, the same platform calls directly %.3f ms, "
              "ratio %.3f (middle half of the rounds %.3f to %.3f; %d rounds of %d, both "
              "orders)\n",
              static_cast<int>(sizeof(void *) * 8), what, Quantile(plugin, 0.5) * 1e3,
              Quantile(direct, 0.5) * 1e3, Quantile(ratios, 0.5), Quantile(ratios, 0.25),
              Quantile(ratios, 0.75), rounds, perBlock);
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: draw_benchmark MODULE [ROUNDS]\n");
    return 2;
  }
  int rounds = argc > 2 ? std::atoi(argv[2]) : 100;
  if (rounds < 1) {
    std::fprintf(stderr, "draw_benchmark: ROUNDS is a count from 1 up\n");
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  DrawSeirikenFunction draw = module ? FindPluginExports(module).drawSeiriken : nullptr;
  if (!draw) {
    std::fprintf(stderr, "cannot load DrawSeiriken from %s\n", argv[1]);
    return 1;
  }
  Canvas colour = {}, oneBit = {};
  if (!MakeCanvas(colour, design::FaceWidth, design::FaceHeight, 0xFFFFFFFF) ||
      !MakeDibCanvas(oneBit, BlackAndWhiteFormat(design::FaceWidth, design::FaceHeight))) {
    std::fprintf(stderr, "cannot make a canvas\n");
    return 1;
  }
  Measure("32 bpp", colour.dc, draw, module, rounds);
  Measure("1 bpp", oneBit.dc, draw, module, rounds);
  FreeCanvas(colour);
  FreeCanvas(oneBit);
  return 0;
}
