#include "tools/view/picture.h"

#include <algorithm>

#include "common/sheet_layout.h"

namespace {

const int Gap = 8;
const uint32_t Ground = SheetBackground & 0xFFFFFF;

void Place(Picture &target, const Picture &source, int left, int top) {
  for (int y = 0; y < source.height && top + y < target.height; ++y)
    for (int x = 0; x < source.width && left + x < target.width; ++x)
      target.pixels[(top + y) * target.width + left + x] = source.pixels[y * source.width + x];
}

Picture Filled(int width, int height, uint32_t colour) {
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.assign(static_cast<size_t>(width) * height, colour);
  return p;
}

// The pixel at (x, y), or -1 beyond the picture's edge.
int64_t PixelAt(const Picture &p, int x, int y) {
  return x < p.width && y < p.height ? static_cast<int64_t>(p.pixels[y * p.width + x]) : -1;
}

// Three quarters of the way to white: the unchanged pixels stay readable under the marks.
uint32_t Faded(uint32_t colour) {
  uint32_t faded = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t channel = (colour >> shift) & 0xFF;
    faded |= (channel + 3 * 0xFF) / 4 << shift;
  }
  return faded;
}

} // namespace

Picture PictureOf(const Canvas &canvas) {
  Picture p = Filled(canvas.width, canvas.height, White);
  GdiFlush();
  const BITMAPINFOHEADER &h = canvas.format.header;
  const auto *bits = static_cast<const uint8_t *>(canvas.bits);
  for (int y = 0; y < canvas.height; ++y) {
    const uint8_t *row = bits + y * RowBytes(canvas.format);
    for (int x = 0; x < canvas.width; ++x) {
      uint32_t &pixel = p.pixels[y * canvas.width + x];
      if (h.biBitCount == 32) {
        pixel = reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
      } else {
        const RGBQUAD &c = canvas.format.colours[(row[x / 8] >> (7 - x % 8)) & 1];
        pixel = static_cast<uint32_t>(c.rgbRed) << 16 | c.rgbGreen << 8 | c.rgbBlue;
      }
    }
  }
  return p;
}

Picture ComposeSheet(const std::vector<Picture> &tickets, int ticketWidth, int ticketHeight,
                     bool oneBit) {
  Picture sheet =
      Filled(SheetWidth(ticketWidth), SheetHeight(ticketHeight), oneBit ? Black : Ground);
  for (size_t n = 0; n < tickets.size() && n < SheetTickets; ++n)
    Place(sheet, tickets[n], SheetLeft(static_cast<int>(n), ticketWidth),
          SheetTop(static_cast<int>(n), ticketHeight));
  return sheet;
}

Picture SideBySide(const std::vector<const Picture *> &pictures) {
  int width = Gap, height = 0;
  for (const Picture *p : pictures) {
    width += p->width + Gap;
    height = std::max(height, p->height);
  }
  Picture all = Filled(width, height + 2 * Gap, Ground);
  int left = Gap;
  for (const Picture *p : pictures) {
    Place(all, *p, left, Gap);
    left += p->width + Gap;
  }
  return all;
}

Picture Differences(const Picture &first, const Picture &second, int *count) {
  Picture marks =
      Filled(std::max(first.width, second.width), std::max(first.height, second.height), White);
  *count = 0;
  for (int y = 0; y < marks.height; ++y)
    for (int x = 0; x < marks.width; ++x) {
      int64_t a = PixelAt(first, x, y), b = PixelAt(second, x, y);
      bool differ = a != b;
      *count += differ;
      marks.pixels[y * marks.width + x] =
          differ ? Marked : Faded(static_cast<uint32_t>(a < 0 ? White : a));
    }
  return marks;
}

int CountDifferences(const Picture &first, const Picture &second) {
  int count = 0;
  Differences(first, second, &count);
  return count;
}
