// The drawing stage: what any plug-in's DrawSeiriken must do, whatever it draws. The ticket
// drawn 1:1 into a 32-bit DIB section is the picture every other way of drawing it is compared
// with; where the design is known, scaled and recorded drawings are compared with the platform's
// own image-list calls, drawn the same way.
#include <algorithm>
#include <cstring>
#include <vector>

#include "common/platform_drawing.h"
#include "tools/check/stages.h"
#include "tools/check/surfaces.h"

namespace {

const int Margin = 16;
const DWORD Sentinel = 0x5A3C7E91; // a colour no ticket has, alpha included
const int32_t Ticket = 42;         // two glyphs in the known design
const int TicketTens = 4, TicketUnits = 2;

// A 32-bit canvas with room around the ticket, its logical origin moved to (Margin, Margin).
struct Framed {
  Canvas canvas;
  int width, height; // of the ticket, in canvas pixels
};

bool MakeFramed(Framed &f, int width, int height) {
  f.width = width, f.height = height;
  if (!MakeCanvas(f.canvas, width + 2 * Margin, height + 2 * Margin, Sentinel))
    return false;
  SetViewportOrgEx(f.canvas.dc, Margin, Margin, nullptr);
  return true;
}

// Pixels outside the ticket's rectangle that no longer hold the sentinel.
int DrawnOutside(const Framed &f) {
  GdiFlush();
  int outside = 0;
  for (int y = 0; y < f.canvas.height; ++y)
    for (int x = 0; x < f.canvas.width; ++x) {
      bool inside = x >= Margin && x < Margin + f.width && y >= Margin && y < Margin + f.height;
      outside += !inside && f.canvas.pixels[y * f.canvas.width + x] != Sentinel;
    }
  return outside;
}

// The ticket's rectangle of the canvas.
std::vector<DWORD> TicketPixels(const Framed &f) {
  GdiFlush();
  std::vector<DWORD> pixels;
  for (int y = Margin; y < Margin + f.height; ++y)
    pixels.insert(pixels.end(), f.canvas.pixels + y * f.canvas.width + Margin,
                  f.canvas.pixels + y * f.canvas.width + Margin + f.width);
  return pixels;
}

// Draws one ticket into a fresh framed 32-bit canvas; gives its pixels and the call's result.
std::vector<DWORD> DrawFramed(const StageContext &c, int32_t ticket, int32_t *result,
                              int32_t a2 = 0, int32_t a3 = 0, int32_t a4 = 0, int32_t a5 = 0,
                              int32_t a7 = 0, int32_t a8 = 0) {
  Framed f;
  std::vector<DWORD> pixels;
  if (MakeFramed(f, c.width, c.height)) {
    *result = CallDraw(c.plugin, f.canvas.dc, ticket, a2, a3, a4, a5, a7, a8);
    pixels = TicketPixels(f);
    FreeCanvas(f.canvas);
  }
  return pixels;
}

// The first call: its result, the sentinels around it, the device context's settings.
std::vector<DWORD> CheckFirstDrawing(const StageContext &c) {
  Framed f;
  if (!MakeFramed(f, c.width, c.height)) {
    Fail("drawing: no 32-bit canvas could be made");
    return {};
  }
  std::vector<LONG_PTR> before = StateOf(f.canvas.dc);
  int32_t result = CallDraw(c.plugin, f.canvas.dc, Ticket);
  std::string changed = ChangedSettings(before, StateOf(f.canvas.dc));
  int outside = DrawnOutside(f);
  std::vector<DWORD> picture = TicketPixels(f);
  int drawn =
      static_cast<int>(picture.size() - std::count(picture.begin(), picture.end(), Sentinel));
  FreeCanvas(f.canvas);
  Verdict(result == 0, Format("DrawSeiriken: returned %d", static_cast<int>(result)));
  Verdict(outside == 0 && drawn > 0,
          Format("ticket %d: %d of its %d x %d pixels drawn, %d outside them",
                 static_cast<int>(Ticket), drawn, c.width, c.height, outside));
  Verdict(changed.empty(),
          "device context: " +
              (changed.empty() ? "every setting as the host left it" : "changed " + changed));
  return picture;
}

void CheckSameEveryTime(const StageContext &c, const std::vector<DWORD> &picture) {
  int32_t result;
  int differing = 0;
  for (int32_t ticket : {7, Ticket, 0, Ticket, Ticket})
    differing += DrawFramed(c, ticket, &result) != picture && ticket == Ticket;
  Verdict(differing == 0, Format("the same number, the same pixels: ticket %d drawn 3 more times "
                                 "between others, %d times unlike the first",
                                 static_cast<int>(Ticket), differing));
}

// Arguments 2 to 5, 7 and 8 and the upper half of the number hold other values each time.
void CheckIgnoredArguments(const StageContext &c) {
  unsigned seed = 12345;
  auto random = [&seed] { return static_cast<int32_t>(seed = seed * 1103515245u + 12345u); };
  std::string differing;
  int calls = 0, nonzero = 0;
  for (int32_t ticket : {0, 7, 42, 99, -5, 100}) {
    int32_t result;
    std::vector<DWORD> plain = DrawFramed(c, ticket, &result);
    for (int variant = 0; variant < 3; ++variant, ++calls) {
      int32_t upper = (ticket & 0xFFFF) | (random() & static_cast<int32_t>(0xFFFF0000));
      if (DrawFramed(c, upper, &result, random(), random(), random(), random(), random(),
                     random()) != plain)
        differing += Format(" %d", static_cast<int>(upper));
      nonzero += result != 0;
    }
  }
  Verdict(differing.empty() && nonzero == 0,
          Format("arguments 2 to 5, 7, 8 and the number's upper 16 bits change nothing (%d calls "
                 "with other values; results not 0: %d)",
                 calls, nonzero) +
              (differing.empty() ? "" : "; drawn differently:" + differing));
}

// Into each other kind of surface, against the system's copy of the 32-bit picture into the
// same kind, under the same clipping; outside the ticket both keep the pattern.
enum Clip { Unclipped, Ellipse };
struct Placement {
  int surface;
  Clip clip;
};

void CheckSurface(const StageContext &c, HDC picture, const Placement &p) {
  const Surface &s = Surfaces[p.surface];
  const int w = c.width + 2 * Margin, h = c.height + 2 * Margin;
  Canvas reference = {}, drawn = {};
  bool made = MakeSurface(reference, s, w, h);
  made = MakeSurface(drawn, s, w, h) && made;
  HRGN clip =
      p.clip == Ellipse ? CreateEllipticRgn(Margin + 10, Margin + 5, w - 20, h - 10) : nullptr;
  std::string name = std::string(s.name) + (p.clip == Ellipse ? ", clipped to an ellipse" : "");
  if (made) {
    for (Canvas *canvas : {&reference, &drawn}) {
      FillWithPattern(canvas->bitmap);
      SelectClipRgn(canvas->dc, clip);
      SetViewportOrgEx(canvas->dc, Margin, Margin, nullptr);
    }
    BitBlt(reference.dc, 0, 0, c.width, c.height, picture, 0, 0, SRCCOPY);
    std::vector<LONG_PTR> before = StateOf(drawn.dc);
    int32_t result = CallDraw(c.plugin, drawn.dc, Ticket);
    std::string changed = ChangedSettings(before, StateOf(drawn.dc));
    std::vector<BYTE> want = BitsOf(reference.bitmap), got = BitsOf(drawn.bitmap);
    size_t at = std::mismatch(want.begin(), want.end(), got.begin()).first - want.begin();
    Verdict(result == 0 && got == want && changed.empty(),
            "into " + name + ": " +
                (got == want ? "as the system's copy of the 32-bpp picture"
                             : Format("unlike the system's copy of the 32-bpp picture from byte %d "
                                      "of %d on",
                                      static_cast<int>(at), static_cast<int>(want.size()))) +
                (result ? Format("; returned %d", static_cast<int>(result)) : "") +
                (changed.empty() ? "" : "; changed " + changed));
  } else {
    Fail("into " + name + ": the surface could not be made");
  }
  FreeCanvas(reference);
  FreeCanvas(drawn);
  if (clip)
    DeleteObject(clip);
}

void CheckSurfaces(const StageContext &c) {
  Canvas picture;
  if (!MakeCanvas(picture, c.width, c.height, Sentinel))
    return;
  CallDraw(c.plugin, picture.dc, Ticket);
  GdiFlush();
  const Placement placements[] = {{1, Unclipped}, {2, Unclipped}, {3, Unclipped},
                                  {4, Unclipped}, {5, Unclipped}, {6, Unclipped},
                                  {7, Unclipped}, {0, Ellipse},   {5, Ellipse}};
  for (const Placement &p : placements)
    CheckSurface(c, picture.dc, p);
  FreeCanvas(picture);
}

int CALLBACK CountRecord(HDC, HANDLETABLE *, const ENHMETARECORD *, int, LPARAM count) {
  ++*reinterpret_cast<int *>(count);
  return 1;
}

// Records a drawing into an enhanced metafile, as a host does for printing, and plays it back
// into the ticket's rectangle of a fresh 32-bit canvas. Gives the pixels and the records' count.
template <class Drawing>
std::vector<DWORD> RecordAndPlay(const StageContext &c, Drawing drawing, int *records) {
  HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  drawing(recorder);
  HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
  *records = 0;
  EnumEnhMetaFile(nullptr, metafile, CountRecord, records, nullptr);
  std::vector<DWORD> pixels;
  Framed f;
  if (metafile && MakeFramed(f, c.width, c.height)) {
    RECT ticket = {0, 0, c.width - 1, c.height - 1}; // the frame includes its right and bottom
    PlayEnhMetaFile(f.canvas.dc, metafile, &ticket);
    pixels = TicketPixels(f);
    FreeCanvas(f.canvas);
  }
  DeleteEnhMetaFile(metafile);
  return pixels;
}

void CheckMetafile(const StageContext &c, const std::vector<DWORD> &picture) {
  int records = 0, directRecords = 0;
  std::vector<DWORD> played = RecordAndPlay(
      c, [&](HDC dc) { CallDraw(c.plugin, dc, Ticket); }, &records);
  std::string asPicture = played == picture ? "as the 32-bpp picture" : "unlike the 32-bpp picture";
  if (!c.knownDesign) {
    Verdict(!played.empty() && records > 2,
            Format("into an enhanced metafile: %d records, played back ", records) + asPicture);
    return;
  }
  std::vector<DWORD> direct = RecordAndPlay(
      c, [&](HDC dc) { DrawWithPlatformCalls(c.plugin.module, dc, TicketTens, TicketUnits); },
      &directRecords);
  Verdict(!played.empty() && played == direct && records == directRecords,
          Format("into an enhanced metafile: %d records (the platform's calls: %d), played back "
                 "%s the platform's calls' metafile, %s",
                 records, directRecords, played == direct ? "as" : "unlike", asPicture.c_str()));
}

// A host that scales its device context (a preview at twice the size, a 203 dpi printer).
void CheckScaled(const StageContext &c, int numerator, int denominator) {
  int w = (c.width * numerator + denominator - 1) / denominator;
  int h = (c.height * numerator + denominator - 1) / denominator;
  Framed drawn, direct;
  if (!MakeFramed(drawn, w, h) || !MakeFramed(direct, w, h))
    return;
  for (Framed *f : {&drawn, &direct}) {
    SetMapMode(f->canvas.dc, MM_ANISOTROPIC);
    SetWindowExtEx(f->canvas.dc, denominator, denominator, nullptr);
    SetViewportExtEx(f->canvas.dc, numerator, numerator, nullptr);
  }
  std::vector<LONG_PTR> before = StateOf(drawn.canvas.dc);
  int32_t result = CallDraw(c.plugin, drawn.canvas.dc, Ticket);
  std::string changed = ChangedSettings(before, StateOf(drawn.canvas.dc));
  int outside = DrawnOutside(drawn);
  std::string line = Format("host scale %d/%d: ", numerator, denominator);
  bool same = true;
  if (c.knownDesign) {
    DrawWithPlatformCalls(c.plugin.module, direct.canvas.dc, TicketTens, TicketUnits);
    same = TicketPixels(drawn) == TicketPixels(direct);
    line += same ? "as the platform's calls scaled by the system"
                 : "unlike the platform's calls scaled by the system";
  } else {
    line += Format("%d x %d pixels", w, h);
  }
  Verdict(result == 0 && same && outside == 0 && changed.empty(),
          line + Format(", %d drawn outside", outside) +
              (changed.empty() ? "" : "; changed " + changed));
  FreeCanvas(drawn.canvas);
  FreeCanvas(direct.canvas);
}

} // namespace

void CheckDrawing(const StageContext &c) {
  if (!c.plugin.drawSeiriken || !c.width)
    return;
  std::vector<DWORD> picture = CheckFirstDrawing(c);
  if (picture.empty())
    return;
  CheckSameEveryTime(c, picture);
  CheckIgnoredArguments(c);
  CheckSurfaces(c);
  CheckMetafile(c, picture);
  CheckScaled(c, 2, 1);
  CheckScaled(c, 203, 96);
}
