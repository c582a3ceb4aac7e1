// The design stage: every ticket of the quick set (the table of resulting tickets, all of 0 to 99
// and a sample of other numbers) or with --full every low half and a sample of upper halves,
// drawn exactly as the design places the module's own glyphs. The reference is the platform's
// image-list calls made directly with the module's bitmaps: the face and each glyph drawn once,
// and each ticket composed from them (the glyph cells are drawn opaquely over the face; a
// missing glyph leaves the face in its cell).
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "common/canvas.h"
#include "design/resulting_tickets.h"
#include "design/ticket_design.h"
#include "resources/resource_ids.h"
#include "tools/check/stages.h"

using namespace design;

namespace {

struct Artwork {
  std::vector<DWORD> face;
  std::vector<DWORD> glyphs[10];
};

// Draws bitmap `id` of the module through an image list of its own into a fresh 32-bit canvas;
// empty when the module has no such bitmap of that size, which is reported.
std::vector<DWORD> DrawBitmap(HMODULE module, int id, int width, int height, std::string *faults) {
  HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(id));
  BITMAP b = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof b, &b) || b.bmWidth != width || b.bmHeight != height) {
    *faults += bitmap ? Format("; %d is %ld x %ld", id, b.bmWidth, b.bmHeight)
                      : Format("; %d is missing", id);
    DeleteObject(bitmap);
    return {};
  }
  HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR32, 0, 0);
  ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  Canvas canvas;
  std::vector<DWORD> pixels;
  if (MakeCanvas(canvas, width, height, 0)) {
    ImageList_Draw(list, 0, canvas.dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    pixels.assign(canvas.pixels, canvas.pixels + width * height);
    FreeCanvas(canvas);
  }
  ImageList_Destroy(list);
  return pixels;
}

// Each bitmap drawn on its own, so that one that is missing leaves the others in their places.
Artwork DrawArtwork(HMODULE module) {
  Artwork art;
  std::string faults;
  art.face = DrawBitmap(module, IDB_TICKET_FACE, FaceWidth, FaceHeight, &faults);
  for (int k = 0; k < 10; ++k)
    art.glyphs[k] = DrawBitmap(module, IDB_DIGIT_0 + k, GlyphWidth, GlyphHeight, &faults);
  Verdict(faults.empty(), Format("bitmaps: the face (%d, %d x %d) and the glyphs (%d to %d, %d x "
                                 "%d)",
                                 IDB_TICKET_FACE, FaceWidth, FaceHeight, IDB_DIGIT_0, IDB_DIGIT_9,
                                 GlyphWidth, GlyphHeight) +
                              faults);
  if (art.face.empty())
    art.face.assign(FaceWidth * FaceHeight, 0);
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
    place(t.tens, TensCellX);
  place(t.units, UnitsCellX);
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
