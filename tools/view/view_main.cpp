// tkt-view: a window that loads a ticket plug-in as a host does and shows what it gives a host:
// its record, description and list entries, and its tickets, drawn live, one at a time or as a
// sheet, as the screen or a thermal printer sees them, beside a second plug-in's if wished.
//   tkt-view.exe [PLUGIN] [NUMBER]
// Without a plug-in named, it opens TKT_A1.QPL beside itself.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "tools/view/ui_text.h"
#include "tools/view/view_ids.h"
#include "tools/view/viewer.h"

namespace {

std::wstring BesideTheProgram(const wchar_t *name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  size_t slash = folder.find_last_of(L"\\/");
  return folder.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + name;
}

HACCEL MakeAccelerators() {
  ACCEL keys[] = {
      {FCONTROL | FVIRTKEY, 'O', IDM_OPEN},   {FCONTROL | FVIRTKEY, 'S', IDM_SAVE},
      {FCONTROL | FVIRTKEY, 'C', IDM_COPY},   {FCONTROL | FVIRTKEY, 'P', IDM_PRINT},
      {FCONTROL | FVIRTKEY, '1', IDM_ZOOM_1}, {FCONTROL | FVIRTKEY, '2', IDM_ZOOM_2},
      {FCONTROL | FVIRTKEY, '4', IDM_ZOOM_4}, {FCONTROL | FVIRTKEY, '0', IDM_ZOOM_FIT},
      {FVIRTKEY, VK_F5, IDM_TICKET},          {FVIRTKEY, VK_F6, IDM_SHEET},
      {FVIRTKEY, VK_F7, IDM_ONE_BIT},
  };
  return CreateAcceleratorTableW(keys, sizeof keys / sizeof *keys);
}

// The arrow and page keys step the number, wherever the focus is but in the entries' list.
bool StepKey(Viewer &v, const MSG &message) {
  if (message.message != WM_KEYDOWN || GetFocus() == v.entries)
    return false;
  switch (message.wParam) {
  case VK_UP:
    StepNumber(v, 1);
    return true;
  case VK_DOWN:
    StepNumber(v, -1);
    return true;
  case VK_PRIOR:
    StepNumber(v, 10);
    return true;
  case VK_NEXT:
    StepNumber(v, -10);
    return true;
  default:
    return false;
  }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  // A plug-in that needs a missing DLL gets the loader's error here, not a dialog of the system.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  int count = 0;
  wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring plugin = count > 1 ? arguments[1] : BesideTheProgram(L"TKT_A1.QPL");
  std::wstring number = count > 2 ? arguments[2] : L"0";
  LocalFree(arguments);

  static Viewer viewer;
  if (!MakeViewerWindow(viewer))
    return 1;
  ShowWindow(viewer.window, show);
  UpdateWindow(viewer.window);
  OpenFirst(viewer, plugin);
  // Setting the box's text draws the first ticket.
  SetWindowTextW(viewer.number, number.c_str());
  SetFocus(viewer.number);

  HACCEL accelerators = MakeAccelerators();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (StepKey(viewer, message))
      continue;
    // Ctrl+C in the description copies its text, not the picture.
    if (GetFocus() != viewer.description &&
        TranslateAcceleratorW(viewer.window, accelerators, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DestroyAcceleratorTable(accelerators);
  return 0;
}
