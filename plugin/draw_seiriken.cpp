#include "plugin/exports.h"

// Image lists, after windows.h which they build on.
#include <commctrl.h>

#include "plugin/ticket_digits.h"
#include "resources/resource_ids.h"
#include "resources/ticket_sizes.h"

namespace {

// Loads one bitmap of the module into an image list; the list keeps its own copy, so the bitmap
// goes at once. Returns the index the list gave the image.
int32_t AddBitmap(HIMAGELIST list, int32_t id) {
  HBITMAP bitmap = LoadBitmapA(ModuleHandle, MAKEINTRESOURCEA(id));
  int32_t index = ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  return index;
}

// Draws the ticket number's glyphs into their cells from the digit image list.
void DrawTicketDigits(HIMAGELIST digitList, HDC dc, int32_t ticketNumberArgument) {
  DigitPlacement placements[2];
  int32_t placed = TicketPlacements(ticketNumberArgument, placements);
  for (int32_t i = 0; i < placed; ++i)
    ImageList_Draw(digitList, placements[i].Glyph, dc, placements[i].X, placements[i].Y,
                   ILD_NORMAL);
}

} // namespace

// Draws the ticket for the number in the low 16 bits of the sixth argument at the origin of the
// host's device context. The other arguments are not read. Everything is made afresh for the
// call and released before it returns; the image lists are the call's own, so nothing is shared.
int32_t WINAPI DrawSeiriken(HDC dc, int32_t, int32_t, int32_t, int32_t,
                            int32_t ticketNumberArgument, int32_t, int32_t) {
  HIMAGELIST digitList = ImageList_Create(GlyphWidth, GlyphHeight, ILC_COLOR32, 0, 0);
  HIMAGELIST faceList = ImageList_Create(FaceWidth, FaceHeight, ILC_COLOR32, 0, 0);

  // A digit that failed to load or to be added would shift every later one, and the ticket
  // would show a wrong figure; then no digit is drawn at all.
  bool digitsInPlace = true;
  for (int32_t digit = 0; digit <= 9; ++digit)
    digitsInPlace = AddBitmap(digitList, IDB_DIGIT_0 + digit) == digit && digitsInPlace;
  AddBitmap(faceList, IDB_TICKET_FACE);

  ImageList_Draw(faceList, 0, dc, 0, 0, ILD_NORMAL);
  if (digitsInPlace)
    DrawTicketDigits(digitList, dc, ticketNumberArgument);

  ImageList_Destroy(faceList);
  ImageList_Destroy(digitList);
  return 0;
}
