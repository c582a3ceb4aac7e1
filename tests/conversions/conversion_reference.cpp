// Writes the native build's conversion results, one case a line, for the Windows programs to
// match bit for bit:
//   N <number bits> <text of the number> <bits of that text read back>
//   R <text in hex> <bits of the text read>
// The numbers are the edge cases and random doubles of every magnitude; the texts are the
// reading edge cases, upper- and lower-case octal and hexadecimal among them.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

namespace {

uint64_t BitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

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
  const double edges[] = {0.0,
                          -0.0,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::denorm_min(),
                          1.0 / 3.0,
                          2.0 / 3.0,
                          1234.5678,
                          99.99999999999999,
                          0.9999999999999996,
                          9.999999999999996,
                          123456789012345.0,
                          999999999999999.0,
                          9347451475106.0,
                          1e15,
                          0.0001,
                          0.00001,
                          1.5e-5,
                          1e-100,
                          123456789012345678.0};
  for (double value : edges)
    WriteNumber(out, value);
  for (int i = -32768; i <= 99; ++i)
    WriteNumber(out, i);
  std::mt19937_64 random(42);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (i % 2)
      value = std::uniform_real_distribution<double>(-10, 10)(random) *
              std::pow(10.0, static_cast<int>(random() % 41) - 20);
    if (std::isfinite(value))
      WriteNumber(out, value);
  }
  for (const char *chars : {"-",
                            "+",
                            "",
                            " 42",
                            "\t\t7",
                            "-3.25",
                            "1.5e3",
                            ".5",
                            "-.5",
                            "1.2.3",
                            "- 3",
                            "-&H10",
                            "&H1F",
                            "&hff",
                            "&hAbCdEf",
                            "&O17",
                            "&o17",
                            "&O8",
                            "&X1",
                            "&",
                            "&h",
                            "&o",
                            "&H 1",
                            "&H1G",
                            "&H7FFFFFFFFFFFFFFF",
                            "&H8000000000000000",
                            "&hffffffffffffffff",
                            "&o1000000000000000000000",
                            "0.12",
                            "0.123",
                            "99388751317469353",
                            "3.14159265358979"})
    WriteReading(out, chars);
  std::fclose(out);
  return TheTextStore.Count == 0 ? 0 : 1;
}
