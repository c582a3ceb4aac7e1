// Loads the plug-in with LoadLibrary and checks its set-up exports against real Windows
// controls: the information record, the description in an edit control, the list entries in a
// combo box, and DllMain's results.
//   setup_exports_test MODULE DESCRIPTION_CP932_FILE
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/plugin_interface.h"
#include "tests/windows/check.h"
#include "tests/windows/test_files.h"

namespace {

HWND MakeWindow(const char *windowClass, DWORD style) {
  return CreateWindowExA(0, windowClass, "", style, 0, 0, 200, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string WindowText(HWND window) {
  char buffer[256] = {};
  int n = GetWindowTextA(window, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

void CheckPlgInfo(GetPlgInfoFunction getPlgInfo) {
  unsigned char record[64];
  std::memset(record, 0xFF, sizeof record);
  CHECK(getPlgInfo(reinterpret_cast<PlgInfo *>(record)) == 1);
  const unsigned char expected[12] = {4, 0, 0, 0, 0xD8, 0, 0, 0, 0x61, 0, 0, 0};
  CHECK(std::memcmp(record, expected, 12) == 0);
  bool reservedZero = true;
  for (int i = 12; i < 56; ++i)
    reservedZero = reservedZero && record[i] == 0;
  CHECK(reservedZero);
  bool tailUntouched = true;
  for (int i = 56; i < 64; ++i)
    tailUntouched = tailUntouched && record[i] == 0xFF;
  CHECK(tailUntouched);
  // A null record gets nothing written and 0 instead of a fault in the host.
  CHECK(getPlgInfo(nullptr) == 0);
}

void CheckComment(SetPlgCommentFunction setPlgComment, const std::string &expected) {
  CHECK(expected.size() == 57);
  CHECK(setPlgComment(nullptr) == 0);
  HWND edit = MakeWindow("EDIT", ES_MULTILINE);
  CHECK(edit != nullptr);
  CHECK(setPlgComment(edit) != 0);
  CHECK(WindowText(edit) == expected);
  CHECK(GetWindowTextLengthA(edit) == 57);
  DestroyWindow(edit);
  // A window that no longer exists: SetWindowTextA fails and its 0 is handed back.
  CHECK(setPlgComment(edit) == 0);
}

void CheckComboEntries(HWND combo) {
  CHECK(SendMessageA(combo, CB_GETCOUNT, 0, 0) == 15);
  bool allEmpty = true;
  for (int i = 0; i < 15; ++i)
    allEmpty = allEmpty && SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) == 0;
  CHECK(allEmpty);
}

void CheckCorpAddList(SetCorpAddListFunction setCorpAddList) {
  CHECK(setCorpAddList(nullptr) == 0);
  HWND combo = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
  CHECK(combo != nullptr);
  CHECK(setCorpAddList(combo) == 1);
  CheckComboEntries(combo);
  CHECK(setCorpAddList(combo) == 1); // a second call replaces, not appends
  CheckComboEntries(combo);
  DestroyWindow(combo);

  HWND filled = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
  SendMessageA(filled, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("old one"));
  SendMessageA(filled, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("old two"));
  CHECK(setCorpAddList(filled) == 1);
  CheckComboEntries(filled);
  DestroyWindow(filled);

  // Another class of window ignores the messages; the result is still 1.
  HWND edit = MakeWindow("EDIT", 0);
  CHECK(setCorpAddList(edit) == 1);
  DestroyWindow(edit);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::printf("usage: setup_exports_test MODULE DESCRIPTION_CP932_FILE\n");
    return 2;
  }
  std::printf("module: %s (%d-bit test program), code page %u\n", argv[1],
              static_cast<int>(sizeof(void *) * 8), GetACP());
  CHECK(GetACP() == 932);
  // Process attach answering 1 is what makes LoadLibrary succeed.
  HMODULE module = LoadLibraryA(argv[1]);
  if (!CHECK(module != nullptr))
    return Summary("setup exports");

  PluginExports plugin = FindPluginExports(module);
  if (!CHECK(plugin.dllMain && plugin.getPlgInfo && plugin.setPlgComment && plugin.setCorpAddList))
    return Summary("setup exports");

  CheckPlgInfo(plugin.getPlgInfo);
  CheckComment(plugin.setPlgComment, ReadFileBytes(argv[2]));
  CheckCorpAddList(plugin.setCorpAddList);

  CHECK(plugin.dllMain(module, DLL_PROCESS_DETACH, nullptr) == 0);
  CHECK(plugin.dllMain(module, DLL_THREAD_ATTACH, nullptr) == 0);
  CHECK(plugin.dllMain(module, DLL_THREAD_DETACH, nullptr) == 0);
  // A second attach from a host keeps the live store: everything still works afterwards.
  CHECK(plugin.dllMain(module, DLL_PROCESS_ATTACH, nullptr) == 1);
  CheckComment(plugin.setPlgComment, ReadFileBytes(argv[2]));
  CheckCorpAddList(plugin.setCorpAddList);

  FreeLibrary(module);
  return Summary("setup exports");
}
