// The set-up stage: the information record (and not a byte more), the description as the exact
// bytes the window receives, the list entries in a real combo box, and the null handles.
#include <cstring>

#include "common/utf8.h"
#include "design/ticket_design.h"
#include "tools/check/check_resources.h"
#include "tools/check/stages.h"

namespace {

HWND MakeWindow(const char *windowClass, DWORD style) {
  return CreateWindowExA(0, windowClass, "", style, 0, 0, 300, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string ExpectedDescription() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_EXPECTED_DESCRIPTION), RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char *bytes = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
  return bytes ? std::string(bytes, SizeofResource(nullptr, found)) : std::string();
}

// The text an ANSI window of the checker's own receives in WM_SETTEXT: the plug-in's bytes as
// they are, whatever the machine's code page would make of them.
WNDPROC editProcedure;
std::string received;
int setTextMessages;

LRESULT CALLBACK CaptureText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    ++setTextMessages;
    received = lParam ? reinterpret_cast<const char *>(lParam) : "";
  }
  return CallWindowProcA(editProcedure, window, message, wParam, lParam);
}

// The code page 932 bytes as UTF-8; false when they are not valid code page 932.
bool Cp932ToUtf8(const std::string &bytes, std::string *utf8) {
  utf8->clear();
  if (bytes.empty())
    return true;
  int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0)
    return false;
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
  *utf8 = Utf8(wide);
  return true;
}

std::string Hex(const std::string &bytes) {
  std::string text;
  for (unsigned char b : bytes)
    text += Format("%s%02x", text.empty() ? "" : " ", b);
  return text;
}

void CheckRecord(const StageContext &c) {
  unsigned char record[64];
  std::memset(record, 0xFF, sizeof record);
  int32_t result =
      CallExport("GetPlgInfo", c.plugin.getPlgInfo, {reinterpret_cast<uintptr_t>(record)});
  bool guarded = true;
  for (int i = 56; i < 64; ++i)
    guarded = guarded && record[i] == 0xFF;
  PlgInfo info;
  std::memcpy(&info, record, sizeof info);
  Verdict(result == 1 && guarded,
          Format("GetPlgInfo: returned %d; code %d, %d x %d pixels; %s", static_cast<int>(result),
                 static_cast<int>(info.InfoCode), static_cast<int>(info.Width),
                 static_cast<int>(info.Height),
                 guarded ? "the 8 guard bytes after the 56-byte record untouched"
                         : "wrote past the 56-byte record"));
  if (!c.width)
    Fail(Format("GetPlgInfo: a ticket of %d x %d pixels cannot be drawn",
                static_cast<int>(info.Width), static_cast<int>(info.Height)));
  if (c.knownDesign) {
    const int32_t words[14] = {design::InfoCode, design::FaceWidth, design::FaceHeight};
    unsigned char expected[56];
    std::memcpy(expected, words, sizeof expected);
    Verdict(std::memcmp(record, expected, sizeof expected) == 0,
            Format("record: %d, %d, %d and eleven zero words", design::InfoCode, design::FaceWidth,
                   design::FaceHeight) +
                (std::memcmp(record, expected, sizeof expected) == 0
                     ? std::string()
                     : ", not " + Hex(std::string(record, record + 56))));
  } else {
    Info(Format("not the TKT_A1.QPL design (code %d, %d x %d, module name TKT_A1.QPL): its own "
                "checks are left out",
                design::InfoCode, design::FaceWidth, design::FaceHeight));
  }
}

// Gives the bytes the window received from one call.
std::string DescriptionFromOneCall(const StageContext &c, int32_t *result) {
  HWND edit = MakeWindow("EDIT", ES_MULTILINE);
  editProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CaptureText)));
  received.clear();
  setTextMessages = 0;
  *result =
      CallExport("SetPlgComment", c.plugin.setPlgComment, {reinterpret_cast<uintptr_t>(edit)});
  DestroyWindow(edit);
  return received;
}

void CheckDescription(const StageContext &c, const char *when) {
  int32_t result;
  std::string bytes = DescriptionFromOneCall(c, &result);
  std::string utf8;
  bool valid = Cp932ToUtf8(bytes, &utf8);
  Verdict(result != 0 && setTextMessages == 1 && valid,
          Format("SetPlgComment%s: returned %d; the window received %d bytes%s: ", when,
                 static_cast<int>(result), static_cast<int>(bytes.size()),
                 setTextMessages == 1
                     ? ""
                     : Format(" in %d WM_SETTEXT messages", setTextMessages).c_str()) +
              (valid ? Quoted(utf8) : "not valid code page 932: " + Hex(bytes)));
  if (!c.knownDesign)
    return;
  std::string expected = ExpectedDescription();
  size_t at = 0;
  while (at < bytes.size() && at < expected.size() && bytes[at] == expected[at])
    ++at;
  Verdict(bytes == expected,
          Format("description%s: ", when) +
              (bytes == expected
                   ? Format("the design's %d bytes", static_cast<int>(expected.size()))
                   : Format("%d bytes, unlike the design's %d from byte %d on",
                            static_cast<int>(bytes.size()), static_cast<int>(expected.size()),
                            static_cast<int>(at))));
}

// The entries of the box as a quoted list, and their number.
std::string Entries(HWND combo, LRESULT *count) {
  *count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  std::string text;
  for (LRESULT i = 0; i < *count && i < 20; ++i) {
    char entry[256] = {};
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
    if (length >= 0 && length < 256)
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    std::string utf8;
    text += (i ? ", " : "") + (Cp932ToUtf8(entry, &utf8) ? Quoted(utf8) : Hex(entry));
  }
  return text;
}

void CheckList(const StageContext &c) {
  HWND combo = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
  int32_t result =
      CallExport("SetCorpAddList", c.plugin.setCorpAddList, {reinterpret_cast<uintptr_t>(combo)});
  LRESULT count;
  std::string entries = Entries(combo, &count);
  Verdict(result == 1, Format("SetCorpAddList: returned %d; the combo box holds %ld entries: ",
                              static_cast<int>(result), static_cast<long>(count)) +
                           entries);
  if (c.knownDesign) {
    // Called again, and on a box that holds entries already: the list is replaced.
    CallExport("SetCorpAddList", c.plugin.setCorpAddList, {reinterpret_cast<uintptr_t>(combo)});
    LRESULT again;
    std::string entriesAgain = Entries(combo, &again);
    HWND filled = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
    SendMessageA(filled, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("old"));
    CallExport("SetCorpAddList", c.plugin.setCorpAddList, {reinterpret_cast<uintptr_t>(filled)});
    LRESULT onFilled;
    std::string entriesOnFilled = Entries(filled, &onFilled);
    DestroyWindow(filled);
    std::string empty15;
    for (int i = 0; i < design::ListEntries; ++i)
      empty15 += i ? ", \"\"" : "\"\"";
    Verdict(entries == empty15 && entriesAgain == empty15 && entriesOnFilled == empty15,
            Format("list: %d empty entries; %ld, %ld after a second call, %ld on a box that held "
                   "one",
                   design::ListEntries, static_cast<long>(count), static_cast<long>(again),
                   static_cast<long>(onFilled)));
  }
  DestroyWindow(combo);
}

// DllMain's results for the other reasons, and a second attach that leaves the exports working.
void CheckDllMainReasons(const StageContext &c) {
  std::string results;
  const uintptr_t reasons[] = {DLL_PROCESS_DETACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH,
                               DLL_PROCESS_ATTACH};
  for (uintptr_t reason : reasons)
    results += Format(" %d", static_cast<int>(CallExport(
                                 "DllMain", c.plugin.dllMain,
                                 {reinterpret_cast<uintptr_t>(c.plugin.module), reason, 0})));
  Verdict(results == " 0 0 0 1", "DllMain: returned" + results +
                                     " for process detach, thread attach and detach, and a "
                                     "second process attach");
  CheckDescription(c, " after a second attach");
}

} // namespace

void CheckSetUp(const StageContext &c) {
  const LoadedPlugin &p = c.plugin;
  if (p.getPlgInfo)
    CheckRecord(c);
  if (p.setPlgComment)
    CheckDescription(c, "");
  if (p.setCorpAddList)
    CheckList(c);
  if (c.knownDesign && p.dllMain && p.setPlgComment)
    CheckDllMainReasons(c);
  if (c.knownDesign && p.setPlgComment) {
    // A window that no longer exists: SetWindowTextA fails, and its 0 is handed back.
    HWND gone = MakeWindow("EDIT", 0);
    DestroyWindow(gone);
    int32_t result =
        CallExport("SetPlgComment", p.setPlgComment, {reinterpret_cast<uintptr_t>(gone)});
    Verdict(result == 0,
            Format("SetPlgComment on a destroyed window: returned %d", static_cast<int>(result)));
  }
  // The null handles and record last: a plug-in that faults on them ends the stage here.
  if (p.setPlgComment) {
    int32_t result = CallExport("SetPlgComment", p.setPlgComment, {0});
    Verdict(result == 0,
            Format("SetPlgComment with no window: returned %d", static_cast<int>(result)));
  }
  if (p.setCorpAddList) {
    int32_t result = CallExport("SetCorpAddList", p.setCorpAddList, {0});
    Verdict(result == 0,
            Format("SetCorpAddList with no window: returned %d", static_cast<int>(result)));
  }
  if (p.getPlgInfo) {
    int32_t result = CallExport("GetPlgInfo", p.getPlgInfo, {0});
    Verdict(result == 0,
            Format("GetPlgInfo with no record: returned %d, no fault", static_cast<int>(result)));
  }
}
