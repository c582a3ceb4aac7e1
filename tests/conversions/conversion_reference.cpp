// Writes the native build's conversion results, one case a line, for the Windows programs to
// match bit for bit:
//   N <number bits> <text of the number> <bits of that text read back>
//   R <text in hex> <bits of the text read>
// The numbers are the edge cases and random doubles of every magnitude; the texts are the
// reading edge cases, upper- and lower-case octal and hexadecimal among them, and random texts.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "tests/conversions/double_bits.h"
#include "tests/conversions/edge_inputs.h"
#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

namespace {

void WriteNumber(FILE *out, double value) {
  Text text = NumberToText(value);
  double back = TextToNumber(CopyText(text));
  std::fprintf(out, "N %016" PRIx64 " %s %016" PRIx64 "\n", BitsOf(value), text, BitsOf(back));
  ReleaseText(text);
}

void WriteReading(FILE *out, const std::string &chars) {
  std::fprintf(out, "R ");
  for (unsigned char c : chars)
    std::fprintf(out, "%02x", c);
  std::fprintf(out, " %016" PRIx64 "\n", BitsOf(TextToNumber(TextFromChars(chars.c_str()))));
}

} // namespace

int main(int argc, char **argv) {
  FILE *out = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
  if (!out) {
    std::fprintf(stderr, "usage: conversion_reference OUTPUT\n");
    return 2;
  }
  InitTextStore();
  for (double value : SampleNumbers(20000, 42))
    WriteNumber(out, value);
  for (const std::string &chars : SampleTexts(20000, 932))
    WriteReading(out, chars);
  std::fclose(out);
  return TheTextStore.Count == 0 ? 0 : 1;
}
