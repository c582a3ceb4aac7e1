#include "workbench/host/ticket_picture.h"

#include "design/ticket_design.h"
#include "resources/resource_ids.h"
#include "workbench/host/design.h"
#include "workbench/winapi/standin.h"

namespace {

// Whether the picture's rectangle at (left, top) equals the image's rectangle at (imageLeft,
// imageTop), or, with a null image, is all `background`.
bool Shows(const Pixels &picture, int32_t left, int32_t top, int32_t width, int32_t height,
           const Pixels *image, int32_t imageLeft, int32_t imageTop, uint32_t background) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint32_t wanted =
          image ? image->data[static_cast<size_t>((imageTop + y) * image->width + imageLeft + x)]
                : background;
      if (picture.data[static_cast<size_t>((top + y) * picture.width + left + x)] != wanted)
        return false;
    }
  return true;
}

// What a cell shows, in words: "glyph k", "the face", "the background" or "something else".
std::string CellContent(const Pixels &picture, int32_t left, int32_t top,
                        const std::shared_ptr<const Pixels> glyphs[10], const Pixels &face,
                        uint32_t background) {
  for (int32_t k = 0; k < 10; ++k)
    if (Shows(picture, left, top, design::GlyphWidth, design::GlyphHeight, glyphs[k].get(), 0, 0,
              background))
      return "glyph " + std::to_string(k);
  if (Shows(picture, left, top, design::GlyphWidth, design::GlyphHeight, &face, left, top,
            background))
    return "the face";
  if (Shows(picture, left, top, design::GlyphWidth, design::GlyphHeight, nullptr, 0, 0, background))
    return "the background";
  return "something else";
}

} // namespace

std::string WrongFigure(Plugin &p, const Pixels &picture, int32_t ticketNumberArgument,
                        uint32_t background) {
  LoadedModule &module = p.m.modules[static_cast<size_t>(p.module)];
  std::string error;
  std::shared_ptr<const Pixels> face = ModuleBitmap(p.m, module, IDB_TICKET_FACE, &error);
  std::shared_ptr<const Pixels> glyphs[10];
  for (int32_t k = 0; k < 10 && face; ++k)
    if (!(glyphs[k] = ModuleBitmap(p.m, module, static_cast<uint32_t>(IDB_DIGIT_0 + k), &error)))
      face = nullptr;
  if (!face)
    return "the module's bitmaps cannot be read: " + error;
  if (picture.width < face->width || picture.height < face->height)
    return "the picture is smaller than the face";

  std::string wanted[2] = {"the face", "the face"};
  for (const GlyphDraw &g : ExpectedGlyphs(ticketNumberArgument))
    wanted[(g.x - design::TensCellX) / design::GlyphWidth] = "glyph " + std::to_string(g.glyph);
  std::string found;
  for (int32_t cell = 0; cell < 2; ++cell) {
    int32_t left = design::TensCellX + cell * design::GlyphWidth;
    std::string shows = CellContent(picture, left, design::CellY, glyphs, *face, background);
    bool blank = shows == "the face" || shows == "the background";
    if (shows != wanted[cell] && !blank)
      found += "cell " + std::to_string(cell + 1) + " shows " + shows + " instead of " +
               wanted[cell] + "; ";
  }
  // Outside the cells: the face or the background, row by row.
  for (int32_t y = 0; y < face->height; ++y) {
    bool cellRow = y >= design::CellY && y < design::CellY + design::GlyphHeight;
    int32_t spans[2][2] = {
        {0, cellRow ? design::TensCellX : face->width},
        {cellRow ? design::TensCellX + 2 * design::GlyphWidth : face->width, face->width}};
    for (const auto &span : spans) {
      int32_t width = span[1] - span[0];
      if (width > 0 && !Shows(picture, span[0], y, width, 1, face.get(), span[0], y, background) &&
          !Shows(picture, span[0], y, width, 1, nullptr, 0, 0, background))
        return found + "face row " + std::to_string(y) + " is neither the face nor the background";
    }
  }
  return found;
}
