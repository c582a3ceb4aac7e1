// The soak stage: many calls, then what is left behind (GDI and USER objects, the process
// heap), and the time one ticket takes on this machine.
#include <algorithm>
#include <vector>

#include "common/canvas.h"
#include "tools/check/stages.h"

namespace {

// Live GDI objects of this process. Where GetGuiResources gives no count (Wine answers 0 whatever
// exists), the handle table is asked index by index, which Wine answers.
int GdiObjects(bool *byIndex) {
  int count = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  *byIndex = count == 0;
  if (*byIndex)
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
      count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
  return count;
}

struct HeapUse {
  SIZE_T blocks, bytes;
};

HeapUse ProcessHeapUse() {
  HeapUse use = {0, 0};
  HANDLE heap = GetProcessHeap();
  PROCESS_HEAP_ENTRY entry = {};
  HeapLock(heap);
  while (HeapWalk(heap, &entry))
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
      ++use.blocks, use.bytes += entry.cbData;
  HeapUnlock(heap);
  return use;
}

struct Counts {
  int gdi, user;
  bool gdiByIndex;
  HeapUse heap;
};

Counts Count() {
  BeginCall("counting objects and heap blocks", NoTicket); // not the plug-in's time
  Counts c;
  c.gdi = GdiObjects(&c.gdiByIndex);
  c.user = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  c.heap = ProcessHeapUse();
  EndCall();
  return c;
}

// Draws and sets up as a host does, `rounds` times.
void Work(const StageContext &c, HDC dc, HWND edit, HWND combo, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    if (c.plugin.drawSeiriken)
      CallDraw(c.plugin, dc, i * 37 - 1000);
    if (i % 10 == 0 && c.plugin.setPlgComment)
      CallExport("SetPlgComment", c.plugin.setPlgComment, {reinterpret_cast<uintptr_t>(edit)});
    if (i % 10 == 0 && c.plugin.setCorpAddList)
      CallExport("SetCorpAddList", c.plugin.setCorpAddList, {reinterpret_cast<uintptr_t>(combo)});
  }
}

void ReportTime(const StageContext &c, HDC dc) {
  const int draws = 101;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  for (int i = 0; i < draws; ++i) {
    QueryPerformanceCounter(&start);
    CallDraw(c.plugin, dc, i);
    GdiFlush();
    QueryPerformanceCounter(&end);
    ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                 static_cast<double>(frequency.QuadPart));
  }
  std::sort(ms.begin(), ms.end());
  Info(Format("time per ticket: median %.2f ms (%d tickets into a 32-bit DIB section; fastest "
              "%.2f, slowest %.2f)",
              ms[draws / 2], draws, ms.front(), ms.back()));
}

} // namespace

void CheckSoak(const StageContext &c) {
  if (!c.width)
    return;
  Canvas canvas;
  if (!MakeCanvas(canvas, c.width, c.height, 0))
    return;
  HWND edit = CreateWindowExA(0, "EDIT", "", ES_MULTILINE, 0, 0, 300, 100, nullptr, nullptr,
                              nullptr, nullptr);
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST, 0, 0, 300, 100, nullptr,
                               nullptr, nullptr, nullptr);
  const int rounds = c.options->full ? 5000 : 500;
  Work(c, canvas.dc, edit, combo, 20); // what the system keeps from the first calls
  Counts before = Count();
  Work(c, canvas.dc, edit, combo, rounds);
  Counts after = Count();
  std::string calls = Format("after %d tickets and %d set-up calls", rounds, rounds / 5);
  Verdict(after.gdi <= before.gdi,
          Format("GDI objects %s: %d before, %d after (%s)", calls.c_str(), before.gdi, after.gdi,
                 before.gdiByIndex ? "counted in the handle table" : "GetGuiResources"));
  if (before.user == 0 && after.user == 0)
    Info("USER objects: not counted here (GetGuiResources gives 0)");
  else
    Verdict(after.user <= before.user,
            Format("USER objects %s: %d before, %d after", calls.c_str(), before.user, after.user));
  Verdict(after.heap.blocks <= before.heap.blocks,
          Format("process heap %s: %lu blocks of %lu bytes before, %lu blocks of %lu bytes after",
                 calls.c_str(), static_cast<unsigned long>(before.heap.blocks),
                 static_cast<unsigned long>(before.heap.bytes),
                 static_cast<unsigned long>(after.heap.blocks),
                 static_cast<unsigned long>(after.heap.bytes)));
  if (c.plugin.drawSeiriken)
    ReportTime(c, canvas.dc);
  DestroyWindow(edit);
  DestroyWindow(combo);
  FreeCanvas(canvas);
}
