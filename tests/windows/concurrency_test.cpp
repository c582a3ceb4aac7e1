// Several threads call the set-up exports at once, each with windows of its own, and the
// module's text store must come out exact: every heap block it took while they ran is freed
// again, no debug line is written, and every thread sees exactly its own results.
//   concurrency_test MODULE DESCRIPTION_CP932_FILE [all|one|none]
// The last word says which threads call the module (default all). With "one" or "none" the
// other threads make the same calls into the system directly, so that a crash can be laid at
// the module's door or at that of the system (or of the emulator under it); "none" does not
// load the module at all.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "design/ticket_design.h"
#include "plugin/plugin_interface.h"
#include "tests/windows/check.h"
#include "tests/windows/heap_counter.h"
#include "tests/windows/test_files.h"

namespace {

const int Threads = 8;
const int Rounds = 150;

std::string description;

// The module's calls into the system, made directly: a locked heap copy of the text, the window
// text, the list emptied and filled with fifteen empty entries, the record filled in.
CRITICAL_SECTION directLock;

int32_t WINAPI DirectComment(HWND window) {
  EnterCriticalSection(&directLock);
  auto copy =
      static_cast<char *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, description.size() + 1));
  LeaveCriticalSection(&directLock);
  std::memcpy(copy, description.data(), description.size());
  int32_t result = SetWindowTextA(window, copy);
  EnterCriticalSection(&directLock);
  HeapFree(GetProcessHeap(), 0, copy);
  LeaveCriticalSection(&directLock);
  return result;
}

int32_t WINAPI DirectList(HWND combo) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < design::ListEntries; ++i)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
  return 1;
}

int32_t WINAPI DirectInfo(PlgInfo *info) {
  *info = {design::InfoCode, design::FaceWidth, design::FaceHeight, {}};
  return 1;
}

const PluginExports Direct = {nullptr, DirectInfo, DirectComment, DirectList, nullptr};

struct Outcome {
  PluginExports calls;
  int wrong;
};

// The description goes into plain windows that keep their text with DefWindowProc: under Wine,
// edit controls used by several threads at once were seen crashing inside the system's own code
// (a null read in its memcmp), with or without the plug-in. The single-threaded suite checks
// real edit controls.
const char TextWindowClass[] = "TicketTextWindow";

DWORD WINAPI Worker(LPVOID parameter) {
  auto outcome = static_cast<Outcome *>(parameter);
  const PluginExports &plugin = outcome->calls;
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
    outcome->wrong += SendMessageA(combo, CB_GETCOUNT, 0, 0) != design::ListEntries;
    INT record[16];
    std::memset(record, 0xFF, sizeof record);
    outcome->wrong += plugin.getPlgInfo(reinterpret_cast<PlgInfo *>(record)) != 1 ||
                      record[1] != design::FaceWidth || record[14] != -1;
  }
  DestroyWindow(textWindow);
  DestroyWindow(combo);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  const std::string on = argc == 4 ? argv[3] : "all";
  if ((argc != 3 && argc != 4) || (on != "all" && on != "one" && on != "none")) {
    std::printf("usage: concurrency_test MODULE DESCRIPTION_CP932_FILE [all|one|none]\n");
    return 2;
  }
  description = ReadFileBytes(argv[2]);
  InitializeCriticalSection(&directLock);
  const int moduleThreads = on == "all" ? Threads : on == "one" ? 1 : 0;
  std::printf("module: %s (%d-bit test program), called by %d of %d threads\n", argv[1],
              static_cast<int>(sizeof(void *) * 8), moduleThreads, Threads);
  HMODULE module = nullptr;
  PluginExports plugin = Direct;
  if (moduleThreads > 0) {
    module = LoadLibraryA(argv[1]);
    if (!CHECK(module != nullptr, "LoadLibrary error %lu", GetLastError()))
      return Summary("concurrency");
    plugin = FindPluginExports(module);
    if (!CHECK(plugin.getPlgInfo && plugin.setPlgComment && plugin.setCorpAddList &&
                   HeapCounter::Install(module),
               "an export or a heap import is missing"))
      return Summary("concurrency");
  }

  WNDCLASSA textClass = {};
  textClass.lpfnWndProc = DefWindowProcA;
  textClass.hInstance = GetModuleHandleA(nullptr);
  textClass.lpszClassName = TextWindowClass;
  CHECK(RegisterClassA(&textClass) != 0, "error %lu", GetLastError());

  HANDLE threads[Threads];
  Outcome outcomes[Threads] = {};
  for (int i = 0; i < Threads; ++i) {
    outcomes[i].calls = i < moduleThreads ? plugin : Direct;
    threads[i] = CreateThread(nullptr, 0, Worker, &outcomes[i], 0, nullptr);
  }
  WaitForMultipleObjects(Threads, threads, TRUE, INFINITE);
  for (int i = 0; i < Threads; ++i) {
    CloseHandle(threads[i]);
    CHECK(outcomes[i].wrong == 0, "thread %d: %d wrong results", i, outcomes[i].wrong);
  }
  std::printf("%d threads x %d rounds: %ld heap allocations; blocks still held %ld, debug lines "
              "%ld\n",
              Threads, Rounds, HeapCounter::allocations, HeapCounter::liveBlocks,
              HeapCounter::debugLines);
  CHECK(HeapCounter::allocations >= moduleThreads * Rounds, "%ld", HeapCounter::allocations);
  CHECK(HeapCounter::liveBlocks == 0, "%ld", HeapCounter::liveBlocks);
  CHECK(HeapCounter::debugLines == 0, "%ld", HeapCounter::debugLines);
  if (module)
    FreeLibrary(module);
  return Summary("concurrency");
}
