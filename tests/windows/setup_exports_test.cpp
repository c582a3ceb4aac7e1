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

// Bytes as hex pairs, for messages.
std::string Hex(const void *bytes, size_t n) {
  std::string text;
  char pair[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(pair, sizeof pair, "%s%02x", i ? " " : "",
                  static_cast<const unsigned char *>(bytes)[i]);
    text += pair;
  }
  return text;
}

void CheckPlgInfo(GetPlgInfoFunction getPlgInfo) {
  // 4, 216 and 97 as 32-bit words, eleven zero words, and the 8 bytes after the record untouched.
  unsigned char expected[64] = {4, 0, 0, 0, 0xD8, 0, 0, 0, 0x61};
  std::memset(expected + 56, 0xFF, 8);
  unsigned char record[64];
  std::memset(record, 0xFF, sizeof record);
  int32_t result = getPlgInfo(reinterpret_cast<PlgInfo *>(record));
  CHECK(result == 1, "got %d", result);
  CHECK(std::memcmp(record, expected, sizeof record) == 0, "record %s",
        Hex(record, sizeof record).c_str());
  // A null record gets nothing written and 0 instead of a fault in the host.
  result = getPlgInfo(nullptr);
  CHECK(result == 0, "got %d", result);
}

void CheckComment(SetPlgCommentFunction setPlgComment, const std::string &expected) {
  CHECK(expected.size() == 57, "the description file has %d bytes",
        static_cast<int>(expected.size()));
  int32_t result = setPlgComment(nullptr);
  CHECK(result == 0, "got %d for no window", result);
  HWND edit = MakeWindow("EDIT", ES_MULTILINE);
  CHECK(edit != nullptr, "error %lu", GetLastError());
  result = setPlgComment(edit);
  CHECK(result != 0, "got %d", result);
  std::string text = WindowText(edit);
  CHECK(text == expected, "window text %s", Hex(text.data(), text.size()).c_str());
  int length = GetWindowTextLengthA(edit);
  CHECK(length == 57, "window text length %d", length);
  DestroyWindow(edit);
  // A window that no longer exists: SetWindowTextA fails and its 0 is handed back.
  result = setPlgComment(edit);
  CHECK(result == 0, "got %d for a destroyed window", result);
}

void CheckComboEntries(HWND combo, const char *when) {
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  CHECK(count == 15, "%s: %ld entries", when, static_cast<long>(count));
  for (int i = 0; i < count; ++i) {
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
    CHECK(length == 0, "%s: entry %d has %ld bytes", when, i, static_cast<long>(length));
  }
}

void CheckCorpAddList(SetCorpAddListFunction setCorpAddList) {
  int32_t result = setCorpAddList(nullptr);
  CHECK(result == 0, "got %d for no window", result);
  HWND combo = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
  CHECK(combo != nullptr, "error %lu", GetLastError());
  result = setCorpAddList(combo);
  CHECK(result == 1, "got %d", result);
  CheckComboEntries(combo, "first call");
  result = setCorpAddList(combo);
  CHECK(result == 1, "got %d from a second call", result);
  CheckComboEntries(combo, "second call"); // replaced, not appended
  DestroyWindow(combo);

  HWND filled = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
  SendMessageA(filled, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("old one"));
  SendMessageA(filled, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("old two"));
  result = setCorpAddList(filled);
  CHECK(result == 1, "got %d on a filled box", result);
  CheckComboEntries(filled, "filled box");
  DestroyWindow(filled);

  // Another class of window ignores the messages; the result is still 1.
  HWND edit = MakeWindow("EDIT", 0);
  result = setCorpAddList(edit);
  CHECK(result == 1, "got %d on an edit control", result);
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
  CHECK(GetACP() == 932, "code page %u", GetACP());
  // Process attach answering 1 is what makes LoadLibrary succeed.
  HMODULE module = LoadLibraryA(argv[1]);
  if (!CHECK(module != nullptr, "LoadLibrary error %lu", GetLastError()))
    return Summary("setup exports");

  PluginExports plugin = FindPluginExports(module);
  if (!CHECK(plugin.dllMain && plugin.getPlgInfo && plugin.setPlgComment && plugin.setCorpAddList,
             "an export is missing"))
    return Summary("setup exports");

  CheckPlgInfo(plugin.getPlgInfo);
  CheckComment(plugin.setPlgComment, ReadFileBytes(argv[2]));
  CheckCorpAddList(plugin.setCorpAddList);

  for (DWORD reason : {DLL_PROCESS_DETACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH}) {
    BOOL result = plugin.dllMain(module, reason, nullptr);
    CHECK(result == 0, "reason %lu: got %d", reason, result);
  }
  // A second attach from a host keeps the live store: everything still works afterwards.
  BOOL attached = plugin.dllMain(module, DLL_PROCESS_ATTACH, nullptr);
  CHECK(attached == 1, "got %d", attached);
  CheckComment(plugin.setPlgComment, ReadFileBytes(argv[2]));
  CheckCorpAddList(plugin.setCorpAddList);

  FreeLibrary(module);
  return Summary("setup exports");
}
