#include <windows.h>

#include <shellapi.h>

#include "tools/view/file_dialogs.h"
#include "tools/view/picture_view.h"
#include "tools/view/ui_text.h"
#include "tools/view/view_ids.h"
#include "tools/view/viewer.h"

namespace {

const int Margin = 8, Row = 22, LabelWidth = 150;

HMENU MakeMenu() {
  HMENU file = CreatePopupMenu(), view = CreatePopupMenu(), bar = CreateMenu();
  const struct {
    HMENU menu;
    UINT id;
    Text text;
  } items[] = {
      {file, IDM_OPEN, Text::MenuOpen},
      {file, IDM_COMPARE, Text::MenuCompare},
      {file, IDM_CLOSE_COMPARE, Text::MenuCloseCompare},
      {file, 0, Text::Count},
      {file, IDM_SAVE, Text::MenuSave},
      {file, IDM_COPY, Text::MenuCopy},
      {file, IDM_PRINT, Text::MenuPrint},
      {file, 0, Text::Count},
      {file, IDM_EXIT, Text::MenuExit},
      {view, IDM_TICKET, Text::MenuTicket},
      {view, IDM_SHEET, Text::MenuSheet},
      {view, 0, Text::Count},
      {view, IDM_ONE_BIT, Text::MenuOneBit},
      {view, 0, Text::Count},
      {view, IDM_ZOOM_1, Text::MenuZoom1},
      {view, IDM_ZOOM_2, Text::MenuZoom2},
      {view, IDM_ZOOM_4, Text::MenuZoom4},
      {view, IDM_ZOOM_FIT, Text::MenuZoomFit},
  };
  for (const auto &item : items)
    if (item.id)
      AppendMenuW(item.menu, MF_STRING, item.id, Say(item.text));
    else
      AppendMenuW(item.menu, MF_SEPARATOR, 0, nullptr);
  HMENU perPage = CreatePopupMenu();
  for (int n : {1, 2, 5, 10})
    AppendMenuW(perPage, MF_STRING, IDM_PER_PAGE + n, Format(L"%d", n).c_str());
  AppendMenuW(perPage, MF_STRING, IDM_PER_PAGE, Say(Text::MenuPerPageFit));
  InsertMenuW(file, IDM_PRINT, MF_BYCOMMAND | MF_POPUP, reinterpret_cast<UINT_PTR>(perPage),
              Say(Text::MenuPerPage));
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), Say(Text::MenuFile));
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), Say(Text::MenuView));
  return bar;
}

HWND Control(HWND parent, const wchar_t *windowClass, const wchar_t *text, DWORD style, int id) {
  HWND control = CreateWindowExW(style & WS_BORDER ? WS_EX_CLIENTEDGE : 0, windowClass, text,
                                 (style & ~WS_BORDER) | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return control;
}

// The interface's font in a face and character set that has the Japanese characters, for the
// plug-in's texts: shown as code page 932 on any Windows, they need the glyphs too.
HFONT JapaneseFont() {
  LOGFONTW font = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpynW(font.lfFaceName, L"MS UI Gothic", LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

void MakeControls(Viewer &v) {
  HWND w = v.window;
  const Text labels[] = {Text::LabelPlugin,      Text::LabelCompared, Text::LabelRecord,
                         Text::LabelDescription, Text::LabelEntries,  Text::LabelNumber,
                         Text::KeysHint};
  for (int i = 0; i < 7; ++i)
    Control(w, L"STATIC", Say(labels[i]), SS_LEFT | SS_NOPREFIX, 1 + i);
  v.plugin = Control(w, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, IDC_PLUGIN);
  v.compared = Control(w, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, IDC_COMPARED);
  v.record = Control(w, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, IDC_RECORD);
  v.description =
      Control(w, L"EDIT", L"", WS_BORDER | ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP,
              IDC_DESCRIPTION);
  v.entries = Control(w, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, IDC_ENTRIES);
  v.number = Control(w, L"EDIT", L"0", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, IDC_NUMBER);
  v.status = Control(w, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, IDC_STATUS);
  v.japaneseFont = JapaneseFont();
  for (HWND text : {v.description, v.entries})
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(v.japaneseFont), 0);
  v.view = MakePictureView(w, IDC_PICTURE);
}

void Move(HWND parent, int id, int x, int y, int width, int height) {
  MoveWindow(GetDlgItem(parent, id), x, y, width, height, TRUE);
}

void Layout(HWND w) {
  RECT client;
  GetClientRect(w, &client);
  int right = client.right - Margin, half = client.right / 2;
  int field = Margin + LabelWidth, fieldWidth = right - field;
  Move(w, 1, Margin, Margin, LabelWidth, Row);
  Move(w, IDC_PLUGIN, field, Margin, fieldWidth, Row);
  Move(w, 2, Margin, Margin + Row, LabelWidth, Row);
  Move(w, IDC_COMPARED, field, Margin + Row, fieldWidth, Row);
  Move(w, 3, Margin, Margin + 2 * Row, LabelWidth, Row);
  Move(w, IDC_RECORD, field, Margin + 2 * Row, fieldWidth, Row);
  int top = Margin + 3 * Row;
  Move(w, 4, Margin, top, half - 2 * Margin, Row);
  Move(w, IdEntriesLabel, half, top, right - half, Row);
  Move(w, IDC_DESCRIPTION, Margin, top + Row, half - 2 * Margin, 3 * Row);
  Move(w, IDC_ENTRIES, half, top + Row, right - half, 10 * Row);
  top += 4 * Row + 8;
  Move(w, 6, Margin, top + 3, LabelWidth, Row);
  Move(w, IDC_NUMBER, field, top, 120, Row);
  Move(w, 7, field + 130, top + 3, right - field - 130, Row);
  top += Row + 8;
  Move(w, IDC_STATUS, Margin, top, right - Margin, 3 * Row);
  top += 3 * Row + 4;
  Move(w, IDC_PICTURE, Margin, top, right - Margin, client.bottom - Margin - top);
}

void OnCommand(Viewer &v, int id, int notification) {
  std::wstring path;
  switch (id) {
  case IDC_NUMBER:
    if (notification == EN_CHANGE)
      NumberTyped(v);
    return;
  case IDM_OPEN:
    if (AskPluginPath(v.window, path))
      OpenFirst(v, path);
    return;
  case IDM_COMPARE:
    if (AskPluginPath(v.window, path))
      OpenSecond(v, path);
    return;
  case IDM_CLOSE_COMPARE:
    CloseSecond(v);
    return;
  case IDM_SAVE:
    if (AskPicturePath(v.window, path))
      SaveShown(v, path);
    return;
  case IDM_COPY:
    CopyShown(v);
    return;
  case IDM_PRINT:
    PrintThroughDialog(v);
    return;
  case IDM_EXIT:
    DestroyWindow(v.window);
    return;
  case IDM_TICKET:
  case IDM_SHEET:
    v.sheet = id == IDM_SHEET;
    break;
  case IDM_ONE_BIT:
    v.oneBit = !v.oneBit;
    break;
  case IDM_ZOOM_1:
  case IDM_ZOOM_2:
  case IDM_ZOOM_4:
  case IDM_ZOOM_FIT:
    v.zoom = id - IDM_ZOOM_FIT;
    SetCommandChecks(v);
    ShowPicture(v.view, &v.shown, v.zoom);
    return;
  default:
    if (id >= IDM_PER_PAGE && id <= IDM_PER_PAGE_LAST) {
      v.perPage = id - IDM_PER_PAGE;
      SetCommandChecks(v);
    }
    return;
  }
  SetCommandChecks(v);
  Refresh(v);
}

void OnDroppedFile(Viewer &v, HDROP drop) {
  wchar_t path[MAX_PATH] = {};
  bool one = DragQueryFileW(drop, 0, path, MAX_PATH) > 0;
  DragFinish(drop);
  if (one)
    OpenFirst(v, path);
}

// A request by WM_COPYDATA: 1 when carried out.
LRESULT OnRequest(Viewer &v, const COPYDATASTRUCT &request) {
  std::wstring text(static_cast<const wchar_t *>(request.lpData), request.cbData / sizeof(wchar_t));
  switch (request.dwData) {
  case VIEWER_OPEN:
    return OpenFirst(v, text);
  case VIEWER_COMPARE:
    return OpenSecond(v, text);
  case VIEWER_SAVE:
    return SaveShown(v, text);
  case VIEWER_PRINT: {
    std::wstring fields[5];
    int field = 0;
    for (wchar_t c : text)
      c == L'|' && field < 4 ? static_cast<void>(++field) : static_cast<void>(fields[field] += c);
    PrintRequest print = {fields[0], fields[1], _wtoi(fields[2].c_str()), _wtoi(fields[3].c_str()),
                          _wtoi(fields[4].c_str())};
    return PrintTickets(v, print);
  }
  default:
    return 0;
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto *viewer = reinterpret_cast<Viewer *>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    viewer = static_cast<Viewer *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
    viewer->window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(viewer));
  }
  if (!viewer)
    return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
  case WM_CREATE:
    MakeControls(*viewer);
    DragAcceptFiles(window, TRUE);
    return 0;
  case WM_SIZE:
    Layout(window);
    return 0;
  case WM_COMMAND:
    OnCommand(*viewer, LOWORD(wParam), HIWORD(wParam));
    return 0;
  case WM_DROPFILES:
    OnDroppedFile(*viewer, reinterpret_cast<HDROP>(wParam));
    return 0;
  case WM_COPYDATA:
    return OnRequest(*viewer, *reinterpret_cast<const COPYDATASTRUCT *>(lParam));
  case WM_DESTROY:
    DeleteObject(viewer->japaneseFont);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND MakeViewerWindow(Viewer &viewer) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = VIEWER_CLASS;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, VIEWER_CLASS, L"tkt-view", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 980, 720, nullptr, MakeMenu(), instance, &viewer);
  if (window)
    SetCommandChecks(viewer);
  return window;
}

void SetCommandChecks(Viewer &v) {
  HMENU menu = GetMenu(v.window);
  CheckMenuRadioItem(menu, IDM_TICKET, IDM_SHEET, v.sheet ? IDM_SHEET : IDM_TICKET, MF_BYCOMMAND);
  CheckMenuItem(menu, IDM_ONE_BIT, v.oneBit ? MF_CHECKED : MF_UNCHECKED);
  CheckMenuRadioItem(menu, IDM_ZOOM_FIT, IDM_ZOOM_4, IDM_ZOOM_FIT + v.zoom, MF_BYCOMMAND);
  CheckMenuRadioItem(menu, IDM_PER_PAGE, IDM_PER_PAGE_LAST, IDM_PER_PAGE + v.perPage, MF_BYCOMMAND);
  EnableMenuItem(menu, IDM_CLOSE_COMPARE, v.second.module ? MF_ENABLED : MF_GRAYED);
}
