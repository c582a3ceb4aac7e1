#include "tools/view/file_dialogs.h"

#include <commdlg.h>

#include "tools/view/ui_text.h"

namespace {

// The table's filter with '|' for the zero characters the dialog wants.
std::wstring Filter(Text filter) {
  std::wstring text = Say(filter);
  for (wchar_t &c : text)
    if (c == L'|')
      c = L'\0';
  return text;
}

bool Ask(HWND owner, bool save, Text filter, const wchar_t *extension, std::wstring &path) {
  wchar_t file[MAX_PATH] = {};
  std::wstring filters = Filter(filter);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = extension;
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  bool chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (chosen)
    path = file;
  return chosen;
}

} // namespace

bool AskPluginPath(HWND owner, std::wstring &path) {
  return Ask(owner, false, Text::FilterPlugins, L"qpl", path);
}

bool AskPicturePath(HWND owner, std::wstring &path) {
  return Ask(owner, true, Text::FilterPictures, L"png", path);
}
