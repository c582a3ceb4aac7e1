// The test page: page 1 has the plug-in draw tickets 0, 7, 42 and 99 with DrawSeiriken, once
// at 1:1 (one bitmap pixel on one printer dot) and once scaled to a 57 mm roll's width, under a
// caption that names the printer, its resolution and the date, and the plug-in's description.
// Page 2 has the same tickets at the same places, drawn by the image-list calls made directly
// with the module's bitmaps, and nothing else: the two pages must agree wherever tickets are.
#include "tools/check/print_page.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "common/platform_drawing.h"
#include "design/resulting_tickets.h"
#include "design/ticket_design.h"
#include "plugin/plugin_interface.h"

using namespace design;

namespace {

const int32_t PageTickets[] = {0, 7, 42, 99};
const int PrintedWidthMicrons = 57000; // the width of a common thermal roll
const int MicronsPerInch = 25400;
const int PointsPerInch = 72;
const int CaptionPoints = 10;

// Where one ticket goes on the page, in printer dots.
struct TicketPlace {
  int32_t ticket;
  RECT dots;
};

// The printer's resolution and the part of the page it can print on, in dots.
struct PageGeometry {
  int dpiX;
  int dpiY;
  int width;
  int height;
};

// What one test page is printed with.
struct PrintSetting {
  HMODULE plugin;
  DrawSeirikenFunction drawSeiriken;
  std::string printer;
  const char *outputFile;
  PageGeometry page;
  std::wstring header;
};

// The bytes the plug-in hands SetWindowTextA, caught by a window of our own before any code
// page turns them into something else.
std::string CaughtText;

LRESULT CALLBACK CatchText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && lParam)
    CaughtText = reinterpret_cast<const char *>(lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The plug-in's description as wide text, read as code page 932 (the plug-in's own) wherever
// the system knows it, so that the page shows it right on any Windows.
std::wstring PluginDescription(SetPlgCommentFunction setPlgComment) {
  const char *className = "TktPrintPageText";
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = CatchText;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
  CaughtText.clear();
  if (window && setPlgComment)
    setPlgComment(window);
  DestroyWindow(window);
  UnregisterClassA(className, windowClass.hInstance);
  std::wstring text(CaughtText.size(), L'\0');
  int n = MultiByteToWideChar(932, 0, CaughtText.data(), static_cast<int>(CaughtText.size()),
                              &text[0], static_cast<int>(text.size()));
  if (n <= 0)
    n = MultiByteToWideChar(CP_ACP, 0, CaughtText.data(), static_cast<int>(CaughtText.size()),
                            &text[0], static_cast<int>(text.size()));
  text.resize(n > 0 ? n : 0);
  return text;
}

std::wstring Widen(const std::string &text) {
  std::wstring wide(text.size(), L'\0');
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                              static_cast<int>(wide.size()));
  wide.resize(n > 0 ? n : 0);
  return wide;
}

// Writes the text from the top of the given box, broken into lines that fit its width; returns
// the row below it.
int WriteText(HDC dc, RECT box, const std::wstring &text) {
  const UINT format = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;
  RECT measured = box;
  DrawTextW(dc, text.c_str(), -1, &measured, format | DT_CALCRECT);
  DrawTextW(dc, text.c_str(), -1, &box, format);
  return measured.bottom;
}

// The tickets flowed left to right from (margin, top), 1:1 first, then at the roll's width (or
// the page's, where that is narrower), each group starting on a row of its own.
std::vector<TicketPlace> LayOutTickets(const PageGeometry &page, int margin, int top) {
  int scaledWidth = MulDiv(PrintedWidthMicrons, page.dpiX, MicronsPerInch);
  if (scaledWidth > page.width - 2 * margin)
    scaledWidth = page.width - 2 * margin;
  int scaledHeight = MulDiv(MulDiv(scaledWidth, FaceHeight, FaceWidth), page.dpiY, page.dpiX);
  const SIZE sizes[] = {{FaceWidth, FaceHeight}, {scaledWidth, scaledHeight}};
  int gap = page.dpiX / 8;
  std::vector<TicketPlace> places;
  for (const SIZE &size : sizes) {
    int x = margin;
    int rowHeight = 0;
    for (int32_t ticket : PageTickets) {
      if (x > margin && x + size.cx > page.width - margin) {
        x = margin;
        top += rowHeight + gap;
      }
      places.push_back({ticket, {x, top, x + size.cx, top + size.cy}});
      x += size.cx + gap;
      rowHeight = size.cy;
    }
    top += rowHeight + gap;
  }
  return places;
}

// Maps the ticket's 216 x 97 logical units onto its place, draws it one way or the other, and
// gives the device context back as it was.
void DrawTicketAt(HDC dc, const TicketPlace &place, HMODULE plugin,
                  DrawSeirikenFunction drawSeiriken) {
  int saved = SaveDC(dc);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, FaceWidth, FaceHeight, nullptr);
  SetViewportExtEx(dc, place.dots.right - place.dots.left, place.dots.bottom - place.dots.top,
                   nullptr);
  SetViewportOrgEx(dc, place.dots.left, place.dots.top, nullptr);
  if (drawSeiriken)
    drawSeiriken(dc, 0, 0, 0, 0, place.ticket, 0, 0);
  else {
    ResultingTicket cells = ResultingTicketOf(place.ticket);
    DrawWithPlatformCalls(plugin, dc, cells.tens, cells.units);
  }
  RestoreDC(dc, saved);
}

// What failed, on which printer (when one is known), and the system's error code.
std::string Describe(const char *what, const std::string &printer) {
  DWORD error = GetLastError();
  char line[512];
  if (printer.empty())
    std::snprintf(line, sizeof line, "%s (error %lu)", what, error);
  else
    std::snprintf(line, sizeof line, "%s (printer \"%s\", error %lu)", what, printer.c_str(),
                  error);
  return line;
}

// The caption (the printer, its resolution, the date), the plug-in's file and description, and
// what the two pages hold.
std::wstring PageHeader(HMODULE plugin, SetPlgCommentFunction setPlgComment,
                        const std::string &printer, const PageGeometry &page) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char caption[512];
  std::snprintf(caption, sizeof caption,
                "Ticket plug-in test page. Printer: %s, %d x %d dpi, %04d-%02d-%02d %02d:%02d",
                printer.c_str(), page.dpiX, page.dpiY, now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute);
  char module[MAX_PATH] = {};
  GetModuleFileNameA(plugin, module, sizeof module);
  return Widen(caption) + L"\r\nPlug-in: " + Widen(module) + L"\r\nDescription:\r\n" +
         PluginDescription(setPlgComment) +
         L"\r\nTickets 0, 7, 42 and 99 at 1:1 (one dot per pixel), then 57 mm wide (or as wide "
         L"as the paper). Page 2 has the same tickets drawn by Windows directly from the "
         L"plug-in's bitmaps: the two pages must look the same.";
}

// Page 1 (the header, then the plug-in's tickets) and page 2 (the reference tickets) as one
// document. Gives what failed, or nothing.
std::string PrintPages(HDC dc, const PrintSetting &setting, std::vector<TicketPlace> &places) {
  DOCINFOA document = {};
  document.cbSize = sizeof document;
  document.lpszDocName = "Ticket plug-in test page";
  document.lpszOutput = setting.outputFile;
  if (StartDocA(dc, &document) <= 0)
    return Describe("the printer refused the document", setting.printer);
  bool printed = StartPage(dc) > 0;
  if (printed) {
    int margin = setting.page.dpiX / 8; // narrow enough for a roll of paper
    HFONT font = CreateFontW(-MulDiv(CaptionPoints, setting.page.dpiY, PointsPerInch), 0, 0, 0,
                             FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_DONTCARE, L"MS Gothic");
    HGDIOBJ oldFont = SelectObject(dc, font);
    int top = WriteText(dc, {margin, margin, setting.page.width - margin, setting.page.height},
                        setting.header);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    places = LayOutTickets(setting.page, margin, top + setting.page.dpiY / 6);
    for (const TicketPlace &place : places)
      DrawTicketAt(dc, place, setting.plugin, setting.drawSeiriken);
    printed = EndPage(dc) > 0 && StartPage(dc) > 0;
  }
  if (printed) {
    for (const TicketPlace &place : places)
      DrawTicketAt(dc, place, setting.plugin, nullptr);
    printed = EndPage(dc) > 0;
  }
  if (!printed) {
    std::string failure = Describe("printing failed", setting.printer);
    AbortDoc(dc);
    return failure;
  }
  return EndDoc(dc) > 0 ? ""
                        : Describe("the printer refused the finished document", setting.printer);
}

} // namespace

PrintedPage PrintTestPage(HMODULE plugin, const char *printer, const char *outputFile) {
  PluginExports exports = FindPluginExports(plugin);
  if (!exports.drawSeiriken)
    return {false, "the plug-in has no DrawSeiriken: nothing to print"};
  std::string printerName = printer ? printer : "";
  if (printerName.empty()) {
    DWORD size = 0;
    GetDefaultPrinterA(nullptr, &size);
    printerName.resize(size);
    if (!size || !GetDefaultPrinterA(&printerName[0], &size))
      return {false, Describe("there is no default printer", "")};
    printerName.resize(size - 1); // without its terminating zero
  }
  HDC dc = CreateDCA("WINSPOOL", printerName.c_str(), nullptr, nullptr);
  if (!dc)
    return {false, Describe("the printer cannot be opened", printerName)};

  PageGeometry page = {GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                       GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  std::wstring header = PageHeader(plugin, exports.setPlgComment, printerName, page);
  PrintSetting setting = {plugin, exports.drawSeiriken, printerName, outputFile, page, header};
  std::vector<TicketPlace> places;
  std::string failure = PrintPages(dc, setting, places);
  DeleteDC(dc);
  if (!failure.empty())
    return {false, failure};
  long scaledWidth = places.back().dots.right - places.back().dots.left;

  char line[640];
  std::snprintf(line, sizeof line,
                "printed the test page on \"%s\" at %d x %d dpi%s%s: tickets 0, 7, 42 and 99 at "
                "1:1 and %ld dots (%ld mm) wide, and the reference page",
                printerName.c_str(), page.dpiX, page.dpiY, outputFile ? " into " : "",
                outputFile ? outputFile : "", scaledWidth,
                static_cast<long>(MulDiv(scaledWidth, MicronsPerInch, page.dpiX * 1000)));
  return {true, line};
}
