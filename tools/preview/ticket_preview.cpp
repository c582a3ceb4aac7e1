// Loads a ticket plug-in the way a host does and shows what it tells the host: the information
// record, the description (as the code page 932 bytes the host receives) and the list entries.
// Given a folder, it also has the plug-in draw a few tickets and a sheet of tickets 0 to 99 into
// 32-bit bitmaps through the system's own image lists, the sheet once more into a one-bit
// black-and-white bitmap as a thermal printer's, and writes them there as BMP files.
//   ticket_preview MODULE [FOLDER]
#include <windows.h>

#include <cstdio>

#include "common/canvas.h"
#include "common/sheet_layout.h"
#include "design/ticket_design.h"
#include "plugin/plugin_interface.h"

namespace {

HWND MakeWindow(const char *windowClass, DWORD style) {
  return CreateWindowExA(0, windowClass, "", style, 0, 0, 400, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void ShowRecord(GetPlgInfoFunction getPlgInfo) {
  PlgInfo record = {};
  INT result = getPlgInfo(&record);
  std::printf("Information record (GetPlgInfo returned %d):\n", result);
  std::printf("  InfoCode %d, Width %d, Height %d, Reserved", record.InfoCode, record.Width,
              record.Height);
  for (int32_t word : record.Reserved)
    std::printf(" %d", word);
  std::printf("\n");
}

void ShowDescription(SetPlgCommentFunction setPlgComment) {
  HWND edit = MakeWindow("EDIT", ES_MULTILINE);
  INT result = setPlgComment(edit);
  char text[512] = {};
  int length = GetWindowTextA(edit, text, sizeof text);
  std::printf("Description (SetPlgComment returned %d, %d bytes):\n", result, length);
  std::fwrite(text, 1, length > 0 ? length : 0, stdout);
  std::printf("\n");
  DestroyWindow(edit);
}

void ShowList(SetCorpAddListFunction setCorpAddList) {
  HWND combo = MakeWindow("COMBOBOX", CBS_DROPDOWNLIST);
  INT result = setCorpAddList(combo);
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  std::printf("List entries (SetCorpAddList returned %d): %ld:", result, static_cast<long>(count));
  for (LRESULT i = 0; i < count; ++i) {
    char entry[256] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    std::printf(" \"%s\"", entry);
  }
  std::printf("\n");
  DestroyWindow(combo);
}

// Writes the canvas as a BMP file in its own format, colour table included.
bool WriteBmp(const Canvas &c, const char *path) {
  BITMAPINFOHEADER info = c.format.header;
  DWORD colours = info.biClrUsed         ? info.biClrUsed
                  : info.biBitCount <= 8 ? 1u << info.biBitCount
                                         : 0;
  DWORD pixelBytes = RowBytes(c.format) * c.height;
  info.biSizeImage = pixelBytes;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42; // "BM"
  file.bfOffBits = sizeof file + sizeof info + colours * sizeof(RGBQUAD);
  file.bfSize = file.bfOffBits + pixelBytes;
  FILE *f = std::fopen(path, "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
            std::fwrite(&info, sizeof info, 1, f) == 1 &&
            std::fwrite(c.format.colours, sizeof(RGBQUAD), colours, f) == colours &&
            std::fwrite(c.bits, pixelBytes, 1, f) == 1;
  return std::fclose(f) == 0 && ok;
}

bool WriteAndSay(const Canvas &c, const char *folder, const char *name) {
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s\\%s", folder, name);
  GdiFlush();
  if (!WriteBmp(c, path))
    return false;
  std::printf("wrote %s\n", path);
  return true;
}

// Tickets 0 to 99, each drawn at its own origin.
void DrawSheet(DrawSeirikenFunction draw, HDC dc) {
  for (int number = 0; number < SheetTickets; ++number) {
    SetViewportOrgEx(dc, SheetLeft(number, design::FaceWidth), SheetTop(number, design::FaceHeight),
                     nullptr);
    draw(dc, 0, 0, 0, 0, number, 0, 0);
  }
}

// Draws tickets through the plug-in: single ones; the sheet in 32 bits, with grey gaps; and the
// sheet through a one-bit black-and-white device context, which is what a thermal printer
// receives, with black gaps (the canvas starts black) so that each ticket's edges show.
bool DrawPreviews(DrawSeirikenFunction draw, const char *folder) {
  const int singles[] = {0, 7, 42, 99};
  char name[32];
  for (int number : singles) {
    Canvas c;
    if (!MakeCanvas(c, design::FaceWidth, design::FaceHeight, 0xFFFFFFFF))
      return false;
    draw(c.dc, 0, 0, 0, 0, number, 0, 0);
    std::snprintf(name, sizeof name, "ticket_%d.bmp", number);
    bool written = WriteAndSay(c, folder, name);
    FreeCanvas(c);
    if (!written)
      return false;
  }
  Canvas sheet = {}, oneBit = {};
  const int width = SheetWidth(design::FaceWidth), height = SheetHeight(design::FaceHeight);
  bool made = MakeCanvas(sheet, width, height, SheetBackground) &&
              MakeDibCanvas(oneBit, BlackAndWhiteFormat(width, height));
  if (made) {
    DrawSheet(draw, sheet.dc);
    DrawSheet(draw, oneBit.dc);
  }
  bool written = made && WriteAndSay(sheet, folder, "sheet.bmp") &&
                 WriteAndSay(oneBit, folder, "sheet_1bpp.bmp");
  FreeCanvas(sheet);
  FreeCanvas(oneBit);
  return written;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: ticket_preview MODULE [FOLDER]\n");
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  if (!module) {
    std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  PluginExports plugin = FindPluginExports(module);
  if (!plugin.getPlgInfo || !plugin.setPlgComment || !plugin.setCorpAddList) {
    std::fprintf(stderr, "%s lacks the plug-in's exports\n", argv[1]);
    return 1;
  }
  ShowRecord(plugin.getPlgInfo);
  ShowDescription(plugin.setPlgComment);
  ShowList(plugin.setCorpAddList);
  if (argc == 3) {
    if (!plugin.drawSeiriken || !DrawPreviews(plugin.drawSeiriken, argv[2])) {
      std::fprintf(stderr, "could not draw the previews into %s\n", argv[2]);
      return 1;
    }
  }
  FreeLibrary(module);
  return 0;
}
