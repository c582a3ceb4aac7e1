// Printing tickets as the window shows them (colour or one bit per pixel), at their real size:
// one ticket pixel is one dot of a 203 dpi thermal printer, so a 216 x 97 ticket is 27.0 x 12.1 mm
// on any printer. A range of numbers, as many tickets a page as asked (0: as many as fit).
#include <windows.h>

#include <commdlg.h>

#include <algorithm>

#include "tools/view/ui_text.h"
#include "tools/view/viewer.h"

namespace {

const int ThermalDotsPerInch = 203;

struct Page {
  int dpiX, dpiY, width, height;
};

// Where ticket i of a page goes: left to right, then the next row; gaps of 1/8 inch.
RECT TicketPlace(const Page &page, int ticketWidth, int ticketHeight, int i) {
  int width = MulDiv(ticketWidth, page.dpiX, ThermalDotsPerInch);
  int height = MulDiv(ticketHeight, page.dpiY, ThermalDotsPerInch);
  int gapX = page.dpiX / 8, gapY = page.dpiY / 8;
  int columns = std::max(1, (page.width + gapX) / (width + gapX));
  int left = i % columns * (width + gapX), top = i / columns * (height + gapY);
  return {left, top, left + width, top + height};
}

int FittingTickets(const Page &page, int ticketWidth, int ticketHeight) {
  int n = 1;
  while (n < 10000 && TicketPlace(page, ticketWidth, ticketHeight, n).bottom <= page.height)
    ++n;
  return n;
}

void PrintPicture(HDC dc, const Picture &picture, const RECT &place) {
  BITMAPINFOHEADER header = {
      sizeof header, picture.width, -picture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, place.left, place.top, place.right - place.left, place.bottom - place.top, 0, 0,
                picture.width, picture.height, picture.pixels.data(),
                reinterpret_cast<const BITMAPINFO *>(&header), DIB_RGB_COLORS, SRCCOPY);
}

// Prints the request's tickets on the device context; false with *fault set to what went wrong
// in the plug-in, if it was that. *perPage: the tickets on a page.
bool PrintOn(Viewer &v, HDC dc, const PrintRequest &r, std::wstring *fault, int *perPage) {
  Page page = {GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
               GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  int width = TicketWidth(v.first), height = TicketHeight(v.first);
  *perPage = r.perPage > 0 ? r.perPage : FittingTickets(page, width, height);
  DOCINFOW document = {sizeof document, L"tkt-view",
                       r.outputFile.empty() ? nullptr : r.outputFile.c_str(), nullptr, 0};
  if (StartDocW(dc, &document) <= 0)
    return false;
  bool printed = true;
  for (int64_t number = r.first; printed && number <= r.last; number += *perPage) {
    std::vector<int32_t> numbers;
    for (int64_t n = number; n <= r.last && n < number + *perPage; ++n)
      numbers.push_back(static_cast<int32_t>(n));
    std::vector<Picture> tickets;
    int32_t result = 0;
    *fault = DrawTickets(v.first, numbers, v.oneBit, tickets, &result);
    printed = fault->empty() && tickets.size() == numbers.size() && StartPage(dc) > 0;
    for (size_t i = 0; printed && i < tickets.size(); ++i)
      PrintPicture(dc, tickets[i], TicketPlace(page, width, height, static_cast<int>(i)));
    printed = printed && EndPage(dc) > 0;
  }
  if (!printed) {
    AbortDoc(dc);
    return false;
  }
  return EndDoc(dc) > 0;
}

// Prints on the printer's device context (null when it could not be opened) and says in the window
// how it went.
bool PrintAndSay(Viewer &v, HDC dc, const std::wstring &printer, const PrintRequest &r) {
  std::wstring fault;
  int perPage = 0;
  bool printed = dc && CanDraw(v.first) && PrintOn(v, dc, r, &fault, &perPage);
  DWORD error = GetLastError();
  if (!fault.empty())
    SetStatus(v, fault);
  else if (printed)
    SetStatus(v, Format(Say(Text::Printed), static_cast<long>(r.first), static_cast<long>(r.last),
                        printer.c_str(), perPage, GetDeviceCaps(dc, LOGPIXELSX),
                        GetDeviceCaps(dc, LOGPIXELSY)));
  else
    SetStatus(v, Format(Say(Text::NotPrinted), printer.c_str(), error));
  return printed;
}

} // namespace

bool PrintTickets(Viewer &v, const PrintRequest &r) {
  std::wstring printer = r.printer;
  if (printer.empty()) {
    wchar_t name[512] = {};
    DWORD size = 512;
    if (GetDefaultPrinterW(name, &size))
      printer = name;
  }
  HDC dc = CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr);
  bool printed = PrintAndSay(v, dc, printer, r);
  if (dc)
    DeleteDC(dc);
  return printed;
}

void PrintThroughDialog(Viewer &v) {
  // The dialog's page range is the range of ticket numbers.
  PRINTDLGW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = v.window;
  dialog.Flags = PD_RETURNDC | PD_PAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nMinPage = 0;
  dialog.nMaxPage = 0xFFFF;
  dialog.nFromPage = v.sheet ? 0 : static_cast<WORD>(v.ticket);
  dialog.nToPage = v.sheet ? 99 : static_cast<WORD>(v.ticket);
  dialog.nCopies = 1;
  if (!PrintDlgW(&dialog))
    return;
  bool range = dialog.Flags & PD_PAGENUMS;
  PrintRequest r = {L"", L"", range ? dialog.nFromPage : (v.sheet ? 0 : v.ticket),
                    range ? dialog.nToPage : (v.sheet ? 99 : v.ticket), v.perPage};
  std::wstring printer;
  if (auto *names =
          static_cast<DEVNAMES *>(dialog.hDevNames ? GlobalLock(dialog.hDevNames) : nullptr)) {
    printer = reinterpret_cast<const wchar_t *>(names) + names->wDeviceOffset;
    GlobalUnlock(dialog.hDevNames);
  }
  PrintAndSay(v, dialog.hDC, printer, r);
  DeleteDC(dialog.hDC);
  if (dialog.hDevMode)
    GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames)
    GlobalFree(dialog.hDevNames);
}
