#include "tests/view/view_driver.h"

#include <vector>

#include "common/bmp_file.h"
#include "tools/view/view_ids.h"

namespace {

const UINT AnswerMilliseconds = 120000; // longer than the viewer's own limit on a hung call

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM parameter) {
  auto *search = reinterpret_cast<Search *>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (process == search->process && lstrcmpW(name, VIEWER_CLASS) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// A BMP file's pixels as a picture.
Picture FromBmp(const BmpImage &image) {
  Picture picture;
  picture.width = image.width;
  picture.height = image.height < 0 ? -image.height : image.height;
  for (uint32_t pixel : image.pixels)
    picture.pixels.push_back(pixel & 0xFFFFFF);
  return picture;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, AnswerMilliseconds, &result);
  return static_cast<LRESULT>(result);
}

} // namespace

bool StartViewer(const std::wstring &program, const std::wstring &arguments,
                 RunningViewer &viewer) {
  viewer = {};
  std::wstring line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &start, &viewer.process))
    return false;
  WaitForInputIdle(viewer.process.hProcess, 60000);
  for (int tries = 0; tries < 600 && !viewer.window; ++tries) {
    Search search = {viewer.process.dwProcessId, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    viewer.window = search.found;
    if (!viewer.window)
      Sleep(100);
  }
  // Its status line is written once the first ticket has been drawn.
  for (int tries = 0; tries < 600 && viewer.window && ControlText(viewer, IDC_STATUS).empty();
       ++tries)
    Sleep(100);
  return viewer.window != nullptr;
}

DWORD CloseViewer(RunningViewer &viewer) {
  PostMessageW(viewer.window, WM_CLOSE, 0, 0);
  WaitForSingleObject(viewer.process.hProcess, 30000);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(viewer.process.hProcess, &code);
  if (code == STILL_ACTIVE)
    TerminateProcess(viewer.process.hProcess, 1);
  CloseHandle(viewer.process.hThread);
  CloseHandle(viewer.process.hProcess);
  return code;
}

bool StillRunning(const RunningViewer &viewer) {
  return WaitForSingleObject(viewer.process.hProcess, 0) == WAIT_TIMEOUT && IsWindow(viewer.window);
}

LRESULT Request(const RunningViewer &viewer, ULONG_PTR request, const std::wstring &text) {
  COPYDATASTRUCT data = {request, static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                         const_cast<wchar_t *>(text.data())};
  return Send(viewer.window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

void Command(const RunningViewer &viewer, int id) {
  Send(viewer.window, WM_COMMAND, id, 0);
}

void TypeNumber(const RunningViewer &viewer, const std::wstring &text) {
  Send(GetDlgItem(viewer.window, IDC_NUMBER), WM_SETTEXT, 0,
       reinterpret_cast<LPARAM>(text.c_str()));
}

bool PressKey(const RunningViewer &viewer, WPARAM key, const std::wstring &expected) {
  HWND box = GetDlgItem(viewer.window, IDC_NUMBER);
  PostMessageW(box, WM_KEYDOWN, key, 1);
  PostMessageW(box, WM_KEYUP, key, 0xC0000001);
  // The viewer answers this only once it has handled the key, new ticket drawn.
  for (int tries = 0; tries < 100; ++tries) {
    if (ControlText(viewer, IDC_NUMBER) == expected)
      return true;
    Sleep(100);
  }
  return false;
}

std::wstring ControlText(const RunningViewer &viewer, int id) {
  wchar_t text[4096] = {};
  Send(GetDlgItem(viewer.window, id), WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return text;
}

int EntryCount(const RunningViewer &viewer) {
  return static_cast<int>(Send(GetDlgItem(viewer.window, IDC_ENTRIES), CB_GETCOUNT, 0, 0));
}

std::wstring Entry(const RunningViewer &viewer, int index) {
  wchar_t text[1024] = {};
  Send(GetDlgItem(viewer.window, IDC_ENTRIES), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

Picture SavedPicture(const RunningViewer &viewer, const std::wstring &path) {
  Picture picture;
  BmpImage image;
  std::string error;
  if (Request(viewer, VIEWER_SAVE, path) != 1 || !ReadBmpFile(Utf8(path).c_str(), &image, &error))
    return picture;
  return FromBmp(image);
}

Picture ClipboardPicture() {
  std::vector<uint8_t> file;
  if (OpenClipboard(nullptr)) {
    HANDLE data = GetClipboardData(CF_DIB);
    const auto *dib = static_cast<const uint8_t *>(data ? GlobalLock(data) : nullptr);
    if (dib) {
      // The file header the clipboard's bitmap lacks, for the project's BMP reader.
      const auto *info = reinterpret_cast<const BITMAPINFOHEADER *>(dib);
      SIZE_T size = GlobalSize(data);
      BITMAPFILEHEADER header = {0x4D42, static_cast<DWORD>(sizeof header + size), 0, 0,
                                 static_cast<DWORD>(sizeof header + info->biSize)};
      const auto *head = reinterpret_cast<const uint8_t *>(&header);
      file.assign(head, head + sizeof header);
      file.insert(file.end(), dib, dib + size);
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  BmpImage image;
  std::string error;
  return DecodeBmp(file, &image, &error) ? FromBmp(image) : Picture();
}

namespace {

Picture ScreenAt(POINT origin, int width, int height) {
  Canvas canvas;
  Picture picture;
  if (!MakeCanvas(canvas, width, height, 0))
    return picture;
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  picture = PictureOf(canvas);
  FreeCanvas(canvas);
  return picture;
}

} // namespace

Picture ScreenPicture(const RunningViewer &viewer, int width, int height) {
  HWND view = GetDlgItem(viewer.window, IDC_PICTURE);
  // Painted now, and given a moment to reach the display.
  RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Sleep(300);
  POINT origin = {0, 0};
  ClientToScreen(view, &origin);
  return ScreenAt(origin, width, height);
}

Picture WindowPicture(const RunningViewer &viewer) {
  RedrawWindow(viewer.window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(500);
  RECT frame;
  GetWindowRect(viewer.window, &frame);
  return ScreenAt({frame.left, frame.top}, frame.right - frame.left, frame.bottom - frame.top);
}

std::wstring Wide(const char *text) {
  std::wstring wide;
  for (const char *c = text; *c; ++c)
    wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return wide;
}
