// Loads a ticket plug-in the way a host does and shows what it tells the host: the information
// record, the description (as the code page 932 bytes the host receives) and the list entries.
// Given a folder, it also has the plug-in draw a few tickets and a sheet of tickets 0 to 99 into
// 32-bit bitmaps through the system's own image lists, and writes them there as BMP files.
//   ticket_preview MODULE [FOLDER]
#include <windows.h>

#include <cstdio>

#include "plugin/plugin_interface.h"
#include "resources/ticket_sizes.h"
#include "tools/preview/canvas.h"

namespace {

const int Gap = 4; // between the tickets of the sheet

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

bool WriteBmp(const Canvas &c, const char *path) {
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = c.width;
  info.biHeight = -c.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  DWORD pixelBytes = static_cast<DWORD>(c.width) * c.height * 4;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42; // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + pixelBytes;
  FILE *f = std::fopen(path, "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
            std::fwrite(&info, sizeof info, 1, f) == 1 &&
            std::fwrite(c.pixels, pixelBytes, 1, f) == 1;
  return std::fclose(f) == 0 && ok;
}

// Draws tickets through the plug-in: single ones, then the sheet, each ticket at its own origin.
bool DrawPreviews(DrawSeirikenFunction draw, const char *folder) {
  const int singles[] = {0, 7, 42, 99};
  char path[MAX_PATH];
  for (int number : singles) {
    Canvas c;
    if (!MakeCanvas(c, FaceWidth, FaceHeight, 0xFFFFFFFF))
      return false;
    draw(c.dc, 0, 0, 0, 0, number, 0, 0);
    GdiFlush();
    std::snprintf(path, sizeof path, "%s\\ticket_%d.bmp", folder, number);
    bool written = WriteBmp(c, path);
    FreeCanvas(c);
    if (!written)
      return false;
    std::printf("wrote %s\n", path);
  }
  Canvas sheet;
  if (!MakeCanvas(sheet, Gap + 10 * (FaceWidth + Gap), Gap + 10 * (FaceHeight + Gap), 0xFF808080))
    return false;
  for (int number = 0; number < 100; ++number) {
    SetViewportOrgEx(sheet.dc, Gap + (number % 10) * (FaceWidth + Gap),
                     Gap + (number / 10) * (FaceHeight + Gap), nullptr);
    draw(sheet.dc, 0, 0, 0, 0, number, 0, 0);
  }
  GdiFlush();
  std::snprintf(path, sizeof path, "%s\\sheet.bmp", folder);
  bool written = WriteBmp(sheet, path);
  FreeCanvas(sheet);
  if (written)
    std::printf("wrote %s\n", path);
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
