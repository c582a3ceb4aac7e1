// The design stage: every ticket of the quick set (the table of resulting tickets, all of 0 to 99
// and a sample of other numbers) or with --full every low half and a sample of upper halves,
// drawn exactly as the design places the module's own glyphs. The reference is the platform's
// image-list calls made directly with the module's bitmaps: the face and each glyph drawn once,
// and each resulting ticket composed from them once (the glyph cells are drawn opaquely over the
// face; a missing glyph leaves the face in its cell). With --full the numbers are shared out
// among processes, each drawing its own range, and the checker sums their tallies.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
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

// Each bitmap drawn on its own, so that one that is missing leaves the others in their places;
// judged by one part of the stage.
Artwork DrawArtwork(HMODULE module, bool judge) {
  Artwork art;
  std::string faults;
  art.face = DrawBitmap(module, IDB_TICKET_FACE, FaceWidth, FaceHeight, &faults);
  for (int k = 0; k < 10; ++k)
    art.glyphs[k] = DrawBitmap(module, IDB_DIGIT_0 + k, GlyphWidth, GlyphHeight, &faults);
  if (judge)
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

// The design's picture of each resulting ticket, composed when first asked for: a few dozen
// distinct pictures stand for every number.
class Expected {
public:
  explicit Expected(const Artwork &art) : art_(art) {}
  const std::vector<DWORD> &Of(const ResultingTicket &t) {
    std::vector<DWORD> &picture = pictures_[t.tens + 1][t.units];
    if (picture.empty())
      picture = Compose(art_, t);
    return picture;
  }

private:
  const Artwork &art_;
  std::vector<DWORD> pictures_[11][10]; // tens -1 (none) to 9, units 0 to 9
};

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
  const Options &o = *c.options;
  std::string described;
  std::vector<int32_t> tickets = TicketsToDraw(o.full, &described);
  // This part's own range of the numbers; the first part also judges the bitmaps.
  size_t first = tickets.size() * o.part / o.parts, end = tickets.size() * (o.part + 1) / o.parts;
  Artwork art = DrawArtwork(c.plugin.module, o.part == 0);
  Expected expected(art);
  Canvas canvas;
  if (!MakeCanvas(canvas, FaceWidth, FaceHeight, 0))
    return;
  const int pixels = FaceWidth * FaceHeight;
  PartTally tally = {0, 0, 0};
  for (size_t i = first; i < end; ++i) {
    int32_t ticket = tickets[i];
    std::fill(canvas.pixels, canvas.pixels + pixels, 0x5A3C7E91);
    tally.nonzero += CallDraw(c.plugin, canvas.dc, ticket) != 0;
    GdiFlush();
    ResultingTicket cells = ResultingTicketOf(ticket);
    const std::vector<DWORD> &want = expected.Of(cells);
    ++tally.checked;
    SetProgress(tally.checked, static_cast<long>(end - first));
    if (std::equal(want.begin(), want.end(), canvas.pixels))
      continue;
    int at = static_cast<int>(std::mismatch(want.begin(), want.end(), canvas.pixels).first -
                              want.begin());
    if (++tally.wrong <= 5)
      Fail(Format("ticket %d: not drawn as %s in the design's cells; first wrong pixel (%d, %d) "
                  "0x%08lx, the design's 0x%08lx",
                  static_cast<int>(ticket), Cells(cells).c_str(), at % FaceWidth, at / FaceWidth,
                  canvas.pixels[at], want[at]));
  }
  FreeCanvas(canvas);
  SendTally(tally);
}

std::string DesignTicketsVerdict(const Options &options, const PartTally &sum, bool *passed) {
  std::string described;
  long all = static_cast<long>(TicketsToDraw(options.full, &described).size());
  *passed = sum.checked == all && sum.wrong == 0 && sum.nonzero == 0;
  return Format("tickets: %ld of %ld drawn as the design places the module's glyphs (%s); results "
                "not 0: %ld",
                sum.checked - sum.wrong, all, described.c_str(), sum.nonzero) +
         (sum.checked < all
              ? Format("; %ld never drawn, their part of the stage ended early", all - sum.checked)
              : "");
}
