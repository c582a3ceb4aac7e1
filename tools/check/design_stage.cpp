// The design stage: every ticket of the quick set (the table of resulting tickets, all of 0 to 99
// and a sample of other numbers) or with --full every low half and a sample of upper halves,
// drawn exactly as the design places the module's own glyphs. The reference is the platform's
// image-list calls made directly with the module's bitmaps: the face and each glyph drawn once,
// and each ticket composed from them (the glyph cells are drawn opaquely over the face).
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "resources/resource_ids.h"
#include "resources/ticket_sizes.h"
#include "tools/check/resulting_tickets.h"
#include "tools/check/stages.h"
#include "tools/preview/canvas.h"

namespace {

const int TensX = 121, UnitsX = 161, CellY = 18;

struct Artwork {
  std::vector<DWORD> face;
  std::vector<DWORD> glyphs[10];
};

// Draws image `index` of the list into a fresh 32-bit canvas of its size.
std::vector<DWORD> DrawImage(HIMAGELIST list, int index, int width, int height) {
  Canvas canvas;
  std::vector<DWORD> pixels;
  if (MakeCanvas(canvas, width, height, 0)) {
    ImageList_Draw(list, index, canvas.dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    pixels.assign(canvas.pixels, canvas.pixels + width * height);
    FreeCanvas(canvas);
  }
  return pixels;
}

Artwork DrawArtwork(HMODULE module) {
  HIMAGELIST digits = ImageList_Create(GlyphWidth, GlyphHeight, ILC_COLOR32, 0, 0);
  HIMAGELIST face = ImageList_Create(FaceWidth, FaceHeight, ILC_COLOR32, 0, 0);
  for (int id = IDB_DIGIT_0; id <= IDB_DIGIT_9 + 1; ++id) {
    int resource = id <= IDB_DIGIT_9 ? id : IDB_TICKET_FACE;
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(resource));
    ImageList_Add(id <= IDB_DIGIT_9 ? digits : face, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  Artwork art;
  art.face = DrawImage(face, 0, FaceWidth, FaceHeight);
  for (int k = 0; k < 10; ++k)
    art.glyphs[k] = DrawImage(digits, k, GlyphWidth, GlyphHeight);
  ImageList_Destroy(face);
  ImageList_Destroy(digits);
  return art;
}

std::vector<DWORD> Compose(const Artwork &art, const ResultingTicket &t) {
  std::vector<DWORD> picture = art.face;
  auto place = [&](int glyph, int left) {
    const std::vector<DWORD> &g = art.glyphs[glyph];
    for (int y = 0; y < GlyphHeight && !g.empty(); ++y)
      for (int x = 0; x < GlyphWidth; ++x)
        picture[(CellY + y) * FaceWidth + left + x] = g[y * GlyphWidth + x];
  };
  if (t.tens >= 0)
    place(t.tens, TensX);
  place(t.units, UnitsX);
  return picture;
}

std::string Cells(const ResultingTicket &t) {
  return t.tens < 0 ? Format("\"%d\" alone", t.units) : Format("\"%d\" \"%d\"", t.tens, t.units);
}

// The tickets to draw: the quick set, or every low half and a sample of upper halves.
std::vector<int32_t> TicketsToDraw(bool full, std::string *described) {
  std::vector<int32_t> tickets;
  for (const ResultingTicket &row : ResultingTickets)
    tickets.push_back(row.ticket);
  unsigned seed = 2024;
  auto random = [&seed] { return static_cast<int32_t>(seed = seed * 1103515245u + 12345u); };
  if (full) {
    for (int32_t low = 0; low < 65536; ++low)
      tickets.push_back(low);
    for (int i = 0; i < 4096; ++i)
      tickets.push_back(random());
    *described = "the table of resulting tickets, all 65,536 low halves and 4,096 numbers with "
                 "upper halves";
  } else {
    for (int32_t n = 0; n <= 99; ++n)
      tickets.push_back(n);
    for (int i = 0; i < 100; ++i)
      tickets.push_back(random());
    *described = "the table of resulting tickets, 0 to 99 and 100 other numbers";
  }
  return tickets;
}

} // namespace

void CheckDesignTickets(const StageContext &c) {
  if (!c.knownDesign || !c.plugin.drawSeiriken)
    return;
  Artwork art = DrawArtwork(c.plugin.module);
  Canvas canvas;
  if (!MakeCanvas(canvas, FaceWidth, FaceHeight, 0))
    return;
  std::string described;
  std::vector<int32_t> tickets = TicketsToDraw(c.options->full, &described);
  int wrong = 0, nonzero = 0;
  for (int32_t ticket : tickets) {
    std::fill(canvas.pixels, canvas.pixels + FaceWidth * FaceHeight, 0x5A3C7E91);
    nonzero += CallDraw(c.plugin, canvas.dc, ticket) != 0;
    GdiFlush();
    ResultingTicket expected = ResultingTicketOf(ticket);
    std::vector<DWORD> want = Compose(art, expected);
    int at = 0;
    while (at < FaceWidth * FaceHeight && canvas.pixels[at] == want[at])
      ++at;
    if (at < FaceWidth * FaceHeight && ++wrong <= 5)
      Fail(Format("ticket %d: not drawn as %s in the design's cells; first wrong pixel (%d, %d) "
                  "0x%08lx, the design's 0x%08lx",
                  static_cast<int>(ticket), Cells(expected).c_str(), at % FaceWidth, at / FaceWidth,
                  canvas.pixels[at], want[at]));
  }
  FreeCanvas(canvas);
  Verdict(wrong == 0 && nonzero == 0,
          Format("tickets: %d of %d drawn as the design places the module's glyphs (%s); results "
                 "not 0: %d",
                 static_cast<int>(tickets.size()) - wrong, static_cast<int>(tickets.size()),
                 described.c_str(), nonzero));
}
