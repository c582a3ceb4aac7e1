// Several threads call the set-up exports at once, each with windows of its own, and the
// module's text store must come out exact: every heap block it took while they ran is freed
// again, no debug line is written, and every thread sees exactly its own results.
//   concurrency_test MODULE DESCRIPTION_CP932_FILE
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/plugin_interface.h"
#include "resources/ticket_sizes.h"
#include "tests/windows/check.h"
#include "tests/windows/heap_counter.h"
#include "tests/windows/test_files.h"

namespace {

const int Threads = 8;
const int Rounds = 150;

PluginExports plugin;
std::string description;

struct Outcome {
  int wrong;
};

// The description goes into plain windows that keep their text with DefWindowProc: under Wine,
// edit controls used by several threads at once were seen crashing inside the system's own code
// (a null read in its memcmp), with or without the plug-in. The single-threaded suite checks
// real edit controls.
const char TextWindowClass[] = "TicketTextWindow";

DWORD WINAPI Worker(LPVOID parameter) {
  auto outcome = static_cast<Outcome *>(parameter);
  HWND textWindow = CreateWindowExA(0, TextWindowClass, "", 0, 0, 0, 100, 100, nullptr, nullptr,
                                    nullptr, nullptr);
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  if (!textWindow || !combo)
    ++outcome->wrong;
  for (int round = 0; round < Rounds && textWindow && combo; ++round) {
    SetWindowTextA(textWindow, "");
    char text[128] = {};
    outcome->wrong += plugin.setPlgComment(textWindow) == 0;
    int n = GetWindowTextA(textWindow, text, sizeof text);
    outcome->wrong += std::string(text, n > 0 ? n : 0) != description;
    outcome->wrong += plugin.setCorpAddList(combo) != 1;
    outcome->wrong += SendMessageA(combo, CB_GETCOUNT, 0, 0) != 15;
    INT record[16];
    std::memset(record, 0xFF, sizeof record);
    outcome->wrong += plugin.getPlgInfo(reinterpret_cast<PlgInfo *>(record)) != 1 ||
                      record[1] != FaceWidth || record[14] != -1;
  }
  DestroyWindow(textWindow);
  DestroyWindow(combo);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::printf("usage: concurrency_test MODULE DESCRIPTION_CP932_FILE\n");
    return 2;
  }
  description = ReadFileBytes(argv[2]);
  std::printf("module: %s (%d-bit test program)\n", argv[1], static_cast<int>(sizeof(void *) * 8));
  HMODULE module = LoadLibraryA(argv[1]);
  if (!CHECK(module != nullptr, "LoadLibrary error %lu", GetLastError()))
    return Summary("concurrency");
  plugin = FindPluginExports(module);
  if (!CHECK(plugin.getPlgInfo && plugin.setPlgComment && plugin.setCorpAddList &&
                 HeapCounter::Install(module),
             "an export or a heap import is missing"))
    return Summary("concurrency");

  WNDCLASSA textClass = {};
  textClass.lpfnWndProc = DefWindowProcA;
  textClass.hInstance = GetModuleHandleA(nullptr);
  textClass.lpszClassName = TextWindowClass;
  CHECK(RegisterClassA(&textClass) != 0, "error %lu", GetLastError());

  HANDLE threads[Threads];
  Outcome outcomes[Threads] = {};
  for (int i = 0; i < Threads; ++i)
    threads[i] = CreateThread(nullptr, 0, Worker, &outcomes[i], 0, nullptr);
  WaitForMultipleObjects(Threads, threads, TRUE, INFINITE);
  for (int i = 0; i < Threads; ++i) {
    CloseHandle(threads[i]);
    CHECK(outcomes[i].wrong == 0, "thread %d: %d wrong results", i, outcomes[i].wrong);
  }
  std::printf("%d threads x %d rounds: %ld heap allocations; blocks still held %ld, debug lines "
              "%ld\n",
              Threads, Rounds, HeapCounter::allocations, HeapCounter::liveBlocks,
              HeapCounter::debugLines);
  CHECK(HeapCounter::allocations > Threads * Rounds, "%ld", HeapCounter::allocations);
  CHECK(HeapCounter::liveBlocks == 0, "%ld", HeapCounter::liveBlocks);
  CHECK(HeapCounter::debugLines == 0, "%ld", HeapCounter::debugLines);
  FreeLibrary(module);
  return Summary("concurrency");
}
