// Compares the two pages of the printed test page, as Ghostscript renders them (binary PPM).
// Page 2 holds nothing but the reference tickets; from the first row that has any of them down
// to the foot of the page, page 1 (the plug-in's tickets under the caption) must be the same
// pixel for pixel. Page 1 must also have its caption above that row.
//   print_pages_compare PAGE1.ppm PAGE2.ppm
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Page {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};

// The next number of a PPM header, past white space and comment lines.
int HeaderNumber(std::ifstream &file) {
  file >> std::ws;
  while (file.peek() == '#') {
    std::string comment;
    std::getline(file, comment);
    file >> std::ws;
  }
  int number = 0;
  file >> number;
  return number;
}

bool ReadPpm(const char *path, Page &page) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  file >> magic;
  page.width = HeaderNumber(file);
  page.height = HeaderNumber(file);
  int maximum = HeaderNumber(file);
  file.get(); // the one white-space character before the pixels
  if (!file || magic != "P6" || maximum != 255 || page.width <= 0 || page.height <= 0)
    return false;
  page.rgb.resize(static_cast<size_t>(page.width) * page.height * 3);
  file.read(reinterpret_cast<char *>(page.rgb.data()),
            static_cast<std::streamsize>(page.rgb.size()));
  return static_cast<size_t>(file.gcount()) == page.rgb.size();
}

// The first row with a pixel that is not white, or the height when there is none.
int FirstInkedRow(const Page &page, int from) {
  size_t rowBytes = static_cast<size_t>(page.width) * 3;
  for (int y = from; y < page.height; ++y)
    for (size_t i = 0; i < rowBytes; ++i)
      if (page.rgb[y * rowBytes + i] != 255)
        return y;
  return page.height;
}

} // namespace

int main(int argc, char **argv) {
  Page printed, reference;
  if (argc != 3 || !ReadPpm(argv[1], printed) || !ReadPpm(argv[2], reference)) {
    std::printf("FAILED: usage: print_pages_compare PAGE1.ppm PAGE2.ppm (binary PPM files)\n");
    return 1;
  }
  if (printed.width != reference.width || printed.height != reference.height) {
    std::printf("FAILED: page 1 is %d x %d, page 2 %d x %d\n", printed.width, printed.height,
                reference.width, reference.height);
    return 1;
  }
  int top = FirstInkedRow(reference, 0);
  if (top == reference.height) {
    std::printf("FAILED: page 2 is blank\n");
    return 1;
  }
  if (FirstInkedRow(printed, 0) >= top) {
    std::printf("FAILED: page 1 has no caption above the tickets (row %d)\n", top);
    return 1;
  }
  size_t rowBytes = static_cast<size_t>(printed.width) * 3;
  long differing = 0;
  int firstX = 0, firstY = 0;
  for (int y = top; y < printed.height; ++y)
    for (int x = 0; x < printed.width; ++x) {
      size_t at = y * rowBytes + x * 3;
      if (printed.rgb[at] != reference.rgb[at] || printed.rgb[at + 1] != reference.rgb[at + 1] ||
          printed.rgb[at + 2] != reference.rgb[at + 2]) {
        if (differing++ == 0)
          firstX = x, firstY = y;
      }
    }
  if (differing) {
    std::printf("FAILED: %ld pixels of the tickets differ from the reference, the first at (%d, "
                "%d)\n",
                differing, firstX, firstY);
    return 1;
  }
  std::printf("the tickets of page 1 equal the reference pixel for pixel: rows %d to %d of a %d x "
              "%d page\n",
              top, printed.height - 1, printed.width, printed.height);
  return 0;
}
