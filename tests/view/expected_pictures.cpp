#include "tests/view/expected_pictures.h"

#include <string>
#include <vector>

#include "common/platform_drawing.h"
#include "common/sheet_layout.h"
#include "design/resulting_tickets.h"
#include "design/ticket_design.h"
#include "resources/resource_ids.h"

using design::FaceHeight;
using design::FaceWidth;
using design::GlyphHeight;

namespace {

std::string ReadWhole(const std::wstring &path) {
  std::string bytes;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size())
    bytes.clear();
  CloseHandle(file);
  return bytes;
}

bool WriteWhole(const std::wstring &path, const std::string &bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  return ok;
}

// The bytes of the module's bitmap resource, as they lie in its file.
std::string BitmapResource(const std::wstring &product, int id) {
  HMODULE data = LoadLibraryExW(product.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = data ? FindResourceW(data, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)) : nullptr;
  HGLOBAL loaded = found ? LoadResource(data, found) : nullptr;
  std::string bytes;
  if (loaded)
    bytes.assign(static_cast<const char *>(LockResource(loaded)), SizeofResource(data, found));
  if (data)
    FreeLibrary(data);
  return bytes;
}

} // namespace

Picture PlatformTicket(HMODULE module, int32_t number, bool oneBit) {
  Canvas canvas;
  DibFormat format = oneBit ? BlackAndWhiteFormat(FaceWidth, FaceHeight)
                            : TopDownFormat(FaceWidth, FaceHeight, 32);
  if (!MakeDibCanvas(canvas, format))
    return Picture();
  FillMemory(canvas.bits, RowBytes(format) * FaceHeight, 0xFF);
  design::ResultingTicket cells = design::ResultingTicketOf(number);
  DrawWithPlatformCalls(module, canvas.dc, cells.tens, cells.units);
  Picture picture = PictureOf(canvas);
  FreeCanvas(canvas);
  return picture;
}

Picture PlatformSheet(HMODULE module, bool oneBit) {
  std::vector<Picture> tickets;
  for (int n = 0; n < SheetTickets; ++n)
    tickets.push_back(PlatformTicket(module, n, oneBit));
  return ComposeSheet(tickets, FaceWidth, FaceHeight, oneBit);
}

Picture Doubled(const Picture &picture) {
  Picture doubled;
  doubled.width = picture.width * 2;
  doubled.height = picture.height * 2;
  for (int y = 0; y < doubled.height; ++y)
    for (int x = 0; x < doubled.width; ++x)
      doubled.pixels.push_back(picture.pixels[y / 2 * picture.width + x / 2]);
  return doubled;
}

std::wstring PlantGlyph4Difference(const std::wstring &product, const std::wstring &copy) {
  std::string file = ReadWhole(product), glyph = BitmapResource(product, IDB_DIGIT_4);
  size_t at = glyph.empty() ? std::string::npos : file.find(glyph);
  if (at == std::string::npos || file.find(glyph, at + 1) != std::string::npos)
    return L"";
  // Eight bytes of the pixel rows' middle, inverted: whatever the bits per pixel, their colours
  // change.
  auto header = reinterpret_cast<const BITMAPINFOHEADER *>(glyph.data());
  size_t colours = header->biBitCount <= 8
                       ? (header->biClrUsed ? header->biClrUsed : 1u << header->biBitCount)
                       : 0;
  size_t rowBytes = ((header->biWidth * header->biBitCount + 31) / 32) * 4;
  size_t middle = at + header->biSize + colours * 4 + rowBytes * (GlyphHeight / 2) + rowBytes / 4;
  for (size_t i = 0; i < 8; ++i)
    file[middle + i] = static_cast<char>(~file[middle + i]);
  return WriteWhole(copy, file) ? copy : L"";
}

std::wstring WithoutDrawExport(const std::wstring &product, const std::wstring &copy) {
  std::string file = ReadWhole(product);
  const std::string name("DrawSeiriken\0", 13);
  size_t at = file.find(name);
  if (at == std::string::npos)
    return L"";
  file[at + 11] = 'X';
  return WriteWhole(copy, file) ? copy : L"";
}
