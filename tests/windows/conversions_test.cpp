// Runs both conversions as built for the module (SSE2 doubles, the system's wsprintfA and
// CharUpperA) over the native build's results and checks that every text and every number is
// the same, bit for bit.
//   conversions_test MODULE REFERENCE_FILE   (the module is not loaded; the text library is linked)
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/conversions/double_bits.h"
#include "tests/windows/check.h"
#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

namespace {

// Prints the first few differences in full; the summary counts all of them.
void Report(bool same, const char *line) {
  static int reported = 0;
  if (!CHECK(same) && ++reported <= 10)
    std::printf("  differs from native: %s", line);
}

void CheckNumber(const char *line) {
  uint64_t bits, backBits;
  char expected[64];
  if (std::sscanf(line, "N %" SCNx64 " %63s %" SCNx64, &bits, expected, &backBits) != 3)
    return Report(false, line);
  Text text = NumberToText(DoubleFromBits(bits));
  bool same = std::strcmp(text, expected) == 0;
  same = BitsOf(TextToNumber(CopyText(text))) == backBits && same;
  ReleaseText(text);
  Report(same, line);
}

void CheckReading(const char *line) {
  char hex[256];
  uint64_t bits;
  if (std::sscanf(line, "R %255s %" SCNx64, hex, &bits) != 2) {
    // An empty text has no hex digits.
    if (std::sscanf(line, "R  %" SCNx64, &bits) != 1)
      return Report(false, line);
    hex[0] = '\0';
  }
  std::string chars;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    unsigned byte;
    std::sscanf(hex + i, "%2x", &byte);
    chars += static_cast<char>(byte);
  }
  Report(BitsOf(TextToNumber(TextFromChars(chars.c_str()))) == bits, line);
}

} // namespace

int main(int argc, char **argv) {
  FILE *reference = argc == 3 ? std::fopen(argv[2], "r") : nullptr;
  if (!CHECK(reference != nullptr))
    return Summary("conversions");
  InitTextStore();
  char line[512];
  int lines = 0;
  while (std::fgets(line, sizeof line, reference)) {
    ++lines;
    if (line[0] == 'N')
      CheckNumber(line);
    else
      CheckReading(line);
  }
  std::fclose(reference);
  CHECK(lines > 20000);
  CHECK(TheTextStore.Count == 0);
  return Summary("conversions");
}
