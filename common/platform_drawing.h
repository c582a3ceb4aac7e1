// One ticket drawn with the platform calls alone, as the plug-in makes them: both image lists
// created, the module's eleven bitmaps loaded, added and deleted, the face and the glyphs drawn,
// both lists destroyed. What the plug-in's drawing is measured and its metafiles compared against.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "design/ticket_design.h"
#include "resources/resource_ids.h"

// Draws face, then the glyph `tens` in the tens cell unless it is negative, then `units` in the
// units cell.
inline void DrawWithPlatformCalls(HMODULE module, HDC dc, int tens, int units) {
  HIMAGELIST digits = ImageList_Create(design::GlyphWidth, design::GlyphHeight, ILC_COLOR32, 0, 0);
  HIMAGELIST face = ImageList_Create(design::FaceWidth, design::FaceHeight, ILC_COLOR32, 0, 0);
  for (int id = IDB_DIGIT_0; id <= IDB_DIGIT_9; ++id) {
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(id));
    ImageList_Add(digits, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_TICKET_FACE));
  ImageList_Add(face, bitmap, nullptr);
  DeleteObject(bitmap);
  ImageList_Draw(face, 0, dc, 0, 0, ILD_NORMAL);
  if (tens >= 0)
    ImageList_Draw(digits, tens, dc, design::TensCellX, design::CellY, ILD_NORMAL);
  ImageList_Draw(digits, units, dc, design::UnitsCellX, design::CellY, ILD_NORMAL);
  ImageList_Destroy(face);
  ImageList_Destroy(digits);
}
