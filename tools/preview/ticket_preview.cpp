// Loads a ticket plug-in the way a host does and shows what it tells the host: the information
// record, the description (as the code page 932 bytes the host receives) and the list entries.
//   ticket_preview MODULE
#include <windows.h>

#include <cstdio>

namespace {

typedef INT(WINAPI *GetPlgInfoFn)(void *);
typedef INT(WINAPI *WindowFn)(HWND);

template <class Function> Function Export(HMODULE module, const char *name) {
  return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

HWND MakeWindow(const char *windowClass, DWORD style) {
  return CreateWindowExA(0, windowClass, "", style, 0, 0, 400, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void ShowRecord(GetPlgInfoFn getPlgInfo) {
  INT record[14] = {};
  INT result = getPlgInfo(record);
  std::printf("Information record (GetPlgInfo returned %d):\n", result);
  std::printf("  InfoCode %d, Width %d, Height %d, Reserved", record[0], record[1], record[2]);
  for (int i = 3; i < 14; ++i)
    std::printf(" %d", record[i]);
  std::printf("\n");
}

void ShowDescription(WindowFn setPlgComment) {
  HWND edit = MakeWindow("EDIT", ES_MULTILINE);
  INT result = setPlgComment(edit);
  char text[512] = {};
  int length = GetWindowTextA(edit, text, sizeof text);
  std::printf("Description (SetPlgComment returned %d, %d bytes):\n", result, length);
  std::fwrite(text, 1, length > 0 ? length : 0, stdout);
  std::printf("\n");
  DestroyWindow(edit);
}

void ShowList(WindowFn setCorpAddList) {
  HWND combo = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
  INT result = setCorpAddList(combo);
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  std::printf("List entries (SetCorpAddList returned %d): %ld\n", result, static_cast<long>(count));
  for (LRESULT i = 0; i < count; ++i) {
    char entry[256] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    std::printf("  %2ld \"%s\"\n", static_cast<long>(i), entry);
  }
  DestroyWindow(combo);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ticket_preview MODULE\n");
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  if (!module) {
    std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  auto getPlgInfo = Export<GetPlgInfoFn>(module, "GetPlgInfo");
  auto setPlgComment = Export<WindowFn>(module, "SetPlgComment");
  auto setCorpAddList = Export<WindowFn>(module, "SetCorpAddList");
  if (!getPlgInfo || !setPlgComment || !setCorpAddList) {
    std::fprintf(stderr, "%s lacks the plug-in's exports\n", argv[1]);
    return 1;
  }
  ShowRecord(getPlgInfo);
  ShowDescription(setPlgComment);
  ShowList(setCorpAddList);
  FreeLibrary(module);
  return 0;
}
