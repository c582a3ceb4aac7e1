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

// The reference line without its line break, for messages.
std::string Shown(const char *line) {
  return std::string(line, std::strcspn(line, "\n"));
}

// "N bits text back-bits": the number's text, and the bits that text reads back as.
void CheckNumber(const char *line) {
  uint64_t bits, backBits;
  char expected[64];
  if (!CHECK(std::sscanf(line, "N %" SCNx64 " %63s %" SCNx64, &bits, expected, &backBits) == 3,
             "unreadable line %s", Shown(line).c_str()))
    return;
  Text text = NumberToText(DoubleFromBits(bits));
  std::string got(text, static_cast<size_t>(TextLength(text)));
  uint64_t back = BitsOf(TextToNumber(CopyText(text)));
  ReleaseText(text);
  CHECK(got == expected && back == backBits, "got %s reading back as %016" PRIx64 "; native: %s",
        got.c_str(), back, Shown(line).c_str());
}

// "R hex-bytes bits": the bits a text reads as.
void CheckReading(const char *line) {
  char hex[256];
  uint64_t bits;
  if (std::sscanf(line, "R %255s %" SCNx64, hex, &bits) != 2) {
    // An empty text has no hex digits.
    if (!CHECK(std::sscanf(line, "R  %" SCNx64, &bits) == 1, "unreadable line %s",
               Shown(line).c_str()))
      return;
    hex[0] = '\0';
  }
  std::string chars;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    unsigned byte;
    std::sscanf(hex + i, "%2x", &byte);
    chars += static_cast<char>(byte);
  }
  uint64_t got = BitsOf(TextToNumber(TextFromChars(chars.c_str())));
  CHECK(got == bits, "got %016" PRIx64 "; native: %s", got, Shown(line).c_str());
}

} // namespace

int main(int argc, char **argv) {
  FILE *reference = argc == 3 ? std::fopen(argv[2], "r") : nullptr;
  if (!CHECK(reference != nullptr, "cannot read %s", argc == 3 ? argv[2] : "(none given)"))
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
  CHECK(lines > 20000, "%d lines", lines);
  CHECK(TheTextStore.Count == 0, "%d live texts", static_cast<int>(TheTextStore.Count));
  return Summary("conversions");
}
