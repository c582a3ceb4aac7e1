#include "tools/view/image_files.h"

#include <cstdint>

namespace {

const uint32_t LargestStoredBlock = 65535;

uint32_t Crc32(const std::string &bytes, size_t from) {
  static uint32_t table[256];
  if (!table[1])
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i)
    crc = table[(crc ^ static_cast<uint8_t>(bytes[i])) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const std::string &bytes) {
  uint32_t a = 1, b = 0;
  for (char c : bytes) {
    a = (a + static_cast<uint8_t>(c)) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void BigEndian(std::string &out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out += static_cast<char>(value >> shift);
}

void LittleEndian(std::string &out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out += static_cast<char>(value >> (8 * i));
}

void Chunk(std::string &png, const char *type, const std::string &data) {
  BigEndian(png, static_cast<uint32_t>(data.size()));
  size_t start = png.size();
  png += type;
  png += data;
  BigEndian(png, Crc32(png, start));
}

// The rows as zlib data: a header, stored blocks, the Adler-32 of the rows.
std::string StoredZlib(const std::string &rows) {
  std::string z = "\x78\x01";
  size_t at = 0;
  do {
    uint32_t length = static_cast<uint32_t>(
        rows.size() - at < LargestStoredBlock ? rows.size() - at : LargestStoredBlock);
    bool last = at + length == rows.size();
    z += static_cast<char>(last ? 1 : 0);
    LittleEndian(z, length, 2);
    LittleEndian(z, ~length & 0xFFFF, 2);
    z.append(rows, at, length);
    at += length;
  } while (at < rows.size());
  BigEndian(z, Adler32(rows));
  return z;
}

} // namespace

std::string EncodePng(const Picture &picture) {
  std::string header;
  BigEndian(header, static_cast<uint32_t>(picture.width));
  BigEndian(header, static_cast<uint32_t>(picture.height));
  header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace
  std::string rows;
  rows.reserve(static_cast<size_t>(picture.width * 3 + 1) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    rows += '\0'; // no filter
    for (int x = 0; x < picture.width; ++x) {
      uint32_t pixel = picture.pixels[y * picture.width + x];
      rows += static_cast<char>(pixel >> 16);
      rows += static_cast<char>(pixel >> 8);
      rows += static_cast<char>(pixel);
    }
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", StoredZlib(rows));
  Chunk(png, "IEND", "");
  return png;
}

std::string EncodeBmp(const Picture &picture) {
  uint32_t rowBytes = (picture.width * 3 + 3) & ~3u;
  uint32_t pixelBytes = rowBytes * picture.height;
  std::string bmp = "BM";
  LittleEndian(bmp, 14 + 40 + pixelBytes, 4);
  LittleEndian(bmp, 0, 4);
  LittleEndian(bmp, 14 + 40, 4);
  const uint32_t info[] = {40,
                           static_cast<uint32_t>(picture.width),
                           static_cast<uint32_t>(picture.height),
                           1 | 24 << 16,
                           BI_RGB,
                           pixelBytes,
                           0,
                           0,
                           0,
                           0};
  for (uint32_t word : info)
    LittleEndian(bmp, word, 4);
  for (int y = picture.height - 1; y >= 0; --y) {
    size_t start = bmp.size();
    for (int x = 0; x < picture.width; ++x)
      LittleEndian(bmp, picture.pixels[y * picture.width + x], 3);
    bmp.append(start + rowBytes - bmp.size(), '\0');
  }
  return bmp;
}

bool SavePicture(const Picture &picture, const std::wstring &path, DWORD *error) {
  bool asBmp = path.size() >= 4 && lstrcmpiW(path.c_str() + path.size() - 4, L".bmp") == 0;
  std::string bytes = asBmp ? EncodeBmp(picture) : EncodePng(picture);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool saved = file != INVALID_HANDLE_VALUE &&
               WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
  *error = GetLastError();
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  return saved;
}

bool CopyPicture(HWND owner, const Picture &picture, DWORD *error) {
  std::string dib = EncodeBmp(picture).substr(14); // without the file header
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, dib.size());
  void *bytes = memory ? GlobalLock(memory) : nullptr;
  if (bytes) {
    CopyMemory(bytes, dib.data(), dib.size());
    GlobalUnlock(memory);
  }
  bool copied = bytes && OpenClipboard(owner);
  if (copied) {
    EmptyClipboard();
    copied = SetClipboardData(CF_DIB, memory) != nullptr;
    CloseClipboard();
  }
  *error = GetLastError();
  if (!copied && memory)
    GlobalFree(memory);
  return copied;
}
