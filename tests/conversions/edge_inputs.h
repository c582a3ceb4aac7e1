// The inputs of the conversions' edge cases, for the suites that run two builds of the
// conversions on them and compare: the Windows builds under Wine and the 32-bit build in the
// workbench, each against the native build.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/conversions/double_bits.h"

inline std::vector<double> EdgeNumbers() {
  const double infinity = std::numeric_limits<double>::infinity();
  std::vector<double> numbers = {0.0,
                                 -0.0,
                                 std::numeric_limits<double>::quiet_NaN(),
                                 infinity,
                                 -infinity,
                                 std::numeric_limits<double>::max(),
                                 std::numeric_limits<double>::denorm_min(),
                                 0.5,
                                 -0.25,
                                 0.001,
                                 0.0001,
                                 0.00001,
                                 0.00012345,
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
                                 1e16,
                                 1e20,
                                 123456789012345678.0,
                                 1.5e-5,
                                 1e-100};
  for (int n = -32768; n <= 99; ++n)
    numbers.push_back(n);
  return numbers;
}

// The edge numbers, then count random doubles from the seed: raw bit patterns (every exponent,
// NaNs and infinities) and decimal mantissas scaled by 10^-20 to 10^20, in turn.
inline std::vector<double> SampleNumbers(int count, uint64_t seed) {
  std::vector<double> numbers = EdgeNumbers();
  std::mt19937_64 random(seed);
  for (int i = 0; i < count; ++i)
    numbers.push_back(i % 2 ? std::uniform_real_distribution<double>(-10, 10)(random) *
                                  std::pow(10.0, static_cast<int>(random() % 41) - 20)
                            : DoubleFromBits(random()));
  return numbers;
}

inline std::vector<std::string> EdgeTexts() {
  return {"0", "9", "-", "+", "", " 42", "\t\t7", "-3.25", "1.5e3", "12abc", ".5", "-.5", "1.2.3",
          "- 3", "+-5", "-&H10", "&H1F", "&hff", "&hAbCdEf", "&O17", "&o17", "&O8", "&X1", "&",
          "&H", "&O", "& H1", "&H 1", "&H-1", "&H1G", "0.12", "0.123", "99388751317469353",
          "3.14159265358979", "&H7FFFFFFFFFFFFFFF", "&H8000000000000000", "&H10000000000000000",
          "&HFFFFFFFFFFFFFFFF", "&o1000000000000000000000",
          // Weights past the double range: 10^309 and 16^256 are infinite in double arithmetic;
          // the last fraction weight before that, 10^308, makes 1 and 2 subnormal.
          "0." + std::string(307, '0') + "1", "0." + std::string(307, '0') + "2",
          "0." + std::string(307, '0') + "3", "0." + std::string(307, '0') + "4",
          "0." + std::string(307, '0') + "5", "0." + std::string(307, '0') + "6",
          "0." + std::string(307, '0') + "7", "0." + std::string(307, '0') + "8",
          "0." + std::string(307, '0') + "9", "0." + std::string(306, '0') + "12",
          "0." + std::string(320, '0') + "5", "1" + std::string(400, '0'),
          "&H" + std::string(300, 'F'), "&O" + std::string(400, '7')};
}

// The edge texts, then count random texts from the seed: short runs of digits, signs, points,
// blanks and radix letters, every third one starting with "&", and every tenth a fraction with
// about three hundred zeros before its digits, where the weights leave the double range.
inline std::vector<std::string> SampleTexts(int count, uint32_t seed) {
  std::vector<std::string> texts = EdgeTexts();
  const std::string alphabet = "0123456789012345678901234567890123456789.-+ \t&HhOoABCDEFabcdefx";
  std::mt19937 random(seed);
  for (int i = 0; i < count; ++i) {
    std::string text(random() % 24, ' ');
    for (char &c : text)
      c = alphabet[random() % alphabet.size()];
    if (i % 3 == 0 && !text.empty())
      text[0] = '&';
    if (i % 10 == 1)
      text = "0." + std::string(290 + random() % 40, '0') + text;
    texts.push_back(text);
  }
  return texts;
}
