#include "tools/view/picture_view.h"

#include <algorithm>

namespace {

const wchar_t *ClassName = L"TktViewPicture";

struct ViewState {
  const Picture *picture;
  int zoom;
  POINT scroll;
};

ViewState &StateOf(HWND view) {
  return *reinterpret_cast<ViewState *>(GetWindowLongPtrW(view, GWLP_USERDATA));
}

// The picture's size on the screen.
SIZE ShownSize(HWND view, const ViewState &s) {
  if (!s.picture || !s.picture->width)
    return {0, 0};
  if (s.zoom != ZoomFit)
    return {s.picture->width * s.zoom, s.picture->height * s.zoom};
  RECT client;
  GetClientRect(view, &client);
  int width = std::max<LONG>(client.right, 1), height = std::max<LONG>(client.bottom, 1);
  if (static_cast<int64_t>(width) * s.picture->height >
      static_cast<int64_t>(height) * s.picture->width)
    width = MulDiv(height, s.picture->width, s.picture->height);
  else
    height = MulDiv(width, s.picture->height, s.picture->width);
  return {std::max(width, 1), std::max(height, 1)};
}

void UpdateScrollBars(HWND view) {
  ViewState &s = StateOf(view);
  SIZE shown = ShownSize(view, s);
  RECT client;
  GetClientRect(view, &client);
  const int bars[] = {SB_HORZ, SB_VERT};
  const LONG sizes[] = {shown.cx, shown.cy}, pages[] = {client.right, client.bottom};
  LONG *positions[] = {&s.scroll.x, &s.scroll.y};
  for (int i = 0; i < 2; ++i) {
    *positions[i] = std::max<LONG>(0, std::min<LONG>(*positions[i], sizes[i] - pages[i]));
    SCROLLINFO info = {sizeof info,
                       SIF_ALL | SIF_DISABLENOSCROLL,
                       0,
                       std::max<LONG>(sizes[i] - 1, 0),
                       static_cast<UINT>(pages[i]),
                       static_cast<int>(*positions[i]),
                       0};
    SetScrollInfo(view, bars[i], &info, TRUE);
  }
}

void Scroll(HWND view, int bar, WPARAM request) {
  ViewState &s = StateOf(view);
  SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(view, bar, &info);
  LONG &position = bar == SB_HORZ ? s.scroll.x : s.scroll.y;
  switch (LOWORD(request)) {
  case SB_LINEUP:
    position -= 16;
    break;
  case SB_LINEDOWN:
    position += 16;
    break;
  case SB_PAGEUP:
    position -= info.nPage;
    break;
  case SB_PAGEDOWN:
    position += info.nPage;
    break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION:
    position = info.nTrackPos;
    break;
  default:
    return;
  }
  UpdateScrollBars(view);
  InvalidateRect(view, nullptr, FALSE);
}

void Paint(HWND view) {
  ViewState &s = StateOf(view);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(view, &paint);
  RECT client;
  GetClientRect(view, &client);
  SIZE shown = ShownSize(view, s);
  // The ground around the picture, left alone under it so that nothing flickers.
  HRGN ground = CreateRectRgnIndirect(&client);
  HRGN covered =
      CreateRectRgn(-s.scroll.x, -s.scroll.y, shown.cx - s.scroll.x, shown.cy - s.scroll.y);
  CombineRgn(ground, ground, covered, RGN_DIFF);
  FillRgn(dc, ground, GetSysColorBrush(COLOR_APPWORKSPACE));
  DeleteObject(covered);
  DeleteObject(ground);
  if (shown.cx) {
    BITMAPINFOHEADER header = {
        sizeof header, s.picture->width, -s.picture->height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, -s.scroll.x, -s.scroll.y, shown.cx, shown.cy, 0, 0, s.picture->width,
                  s.picture->height, s.picture->pixels.data(),
                  reinterpret_cast<const BITMAPINFO *>(&header), DIB_RGB_COLORS, SRCCOPY);
  }
  EndPaint(view, &paint);
}

LRESULT CALLBACK ViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_NCCREATE:
    SetWindowLongPtrW(view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new ViewState{}));
    break;
  case WM_NCDESTROY:
    delete &StateOf(view);
    SetWindowLongPtrW(view, GWLP_USERDATA, 0);
    break;
  case WM_PAINT:
    Paint(view);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_SIZE:
    UpdateScrollBars(view);
    InvalidateRect(view, nullptr, FALSE);
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
    Scroll(view, message == WM_HSCROLL ? SB_HORZ : SB_VERT, wParam);
    return 0;
  case WM_LBUTTONDOWN:
    SetFocus(view);
    return 0;
  }
  return DefWindowProcW(view, message, wParam, lParam);
}

} // namespace

HWND MakePictureView(HWND parent, int id) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = ViewProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = ClassName;
  RegisterClassW(&windowClass);
  return CreateWindowExW(WS_EX_CLIENTEDGE, ClassName, L"",
                         WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 0, 0, 0,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                         nullptr);
}

void ShowPicture(HWND view, const Picture *picture, int zoom) {
  ViewState &s = StateOf(view);
  s.picture = picture;
  s.zoom = zoom;
  UpdateScrollBars(view);
  InvalidateRect(view, nullptr, FALSE);
}
