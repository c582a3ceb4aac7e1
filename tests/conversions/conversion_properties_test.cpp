// Properties of both conversions over many random inputs, from a fixed seed.
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <random>
#include <regex>

#include "conversion_fixture.h"

namespace {

class ConversionPropertiesTest : public ConversionTest {
protected:
  void SetUp() override {
    ConversionTest::SetUp();
    SetHeapRecording(false);
  }
  void TearDown() override {
    SetHeapRecording(true);
    ConversionTest::TearDown();
  }

  // Finite doubles of every magnitude: raw bit patterns, decimal mantissas at powers of ten
  // around the form boundaries, and integers.
  double RandomDouble() {
    switch (random() % 4) {
    case 0: {
      double value;
      do
        value = DoubleFromBits(random());
      while (!std::isfinite(value));
      return value;
    }
    case 1:
      return std::uniform_real_distribution<double>(-10, 10)(random) *
             std::pow(10.0, static_cast<int>(random() % 41) - 20);
    case 2:
      return static_cast<double>(static_cast<int64_t>(random() % 20000001) - 10000000);
    default:
      return static_cast<double>(static_cast<int64_t>(random() % 2000000000000001) -
                                 1000000000000000);
    }
  }

  std::mt19937_64 random{20240601};
};

int SignificantDigits(const std::string &mantissa) {
  size_t first = mantissa.find_first_of("123456789");
  if (first == std::string::npos)
    return 0;
  int digits = 0;
  for (size_t i = first; i < mantissa.size(); ++i)
    digits += mantissa[i] >= '0' && mantissa[i] <= '9';
  return digits;
}

TEST_F(ConversionPropertiesTest, NumberTextsHaveTheirShapeAndValue) {
  const std::regex fixedForm("-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?");
  const std::regex exponentForm("-?[1-9]\\.[0-9]{14}e(\\+[0-9]{3}|-[0-9]{2,3})");
  for (int i = 0; i < 200000; ++i) {
    double value = RandomDouble();
    std::string text = Show(value);
    SCOPED_TRACE("value " + std::to_string(value) + " text " + text);
    ASSERT_LE(text.size(), 22u);
    bool fixed = std::regex_match(text, fixedForm);
    ASSERT_TRUE(fixed || std::regex_match(text, exponentForm));
    ASSERT_LE(SignificantDigits(text.substr(0, text.find('e'))), 15);
    ASSERT_EQ(text[0] == '-', value < 0 && text != "0");

    double magnitude = std::fabs(value);
    if (magnitude >= 1.00000000000001e15 || magnitude < 0.99999999999999e-4) {
      ASSERT_FALSE(fixed);
    }
    if (magnitude >= 1.0000000000001e-4 && magnitude <= 999999999999990.0) {
      ASSERT_TRUE(fixed);
    }
    // Fifteen digits hold any double to about one part in 10^15.
    if (magnitude >= DBL_MIN) {
      ASSERT_NEAR(std::strtod(text.c_str(), nullptr) / value, 1.0, 1e-14);
    }
  }
}

TEST_F(ConversionPropertiesTest, IntegersBelowTenMillionArePlainDecimal) {
  for (int i = 0; i < 200000; ++i) {
    int64_t integer = static_cast<int64_t>(random() % 19999999) - 9999999;
    ASSERT_EQ(Show(static_cast<double>(integer)), std::to_string(integer));
  }
}

// A fixed-form text reads back to within a few units in the last place of the number.
TEST_F(ConversionPropertiesTest, FixedFormTextsReadBackCloseToTheNumber) {
  for (int i = 0; i < 100000; ++i) {
    double value = RandomDouble();
    std::string text = Show(value);
    if (text.find('e') != std::string::npos || value == 0)
      continue;
    ASSERT_NEAR(Read(text) / value, 1.0, 1e-14) << "value " << value << " text " << text;
  }
}

// Within 53 bits every digit's product and every partial sum is exact, so integers read exactly.
TEST_F(ConversionPropertiesTest, IntegersWithinFiftyThreeBitsReadExactly) {
  const char *hexDigits = "0123456789abcdefABCDEF";
  for (int i = 0; i < 100000; ++i) {
    std::string decimal, hex, octal;
    for (int n = 1 + static_cast<int>(random() % 15); n > 0; --n)
      decimal += static_cast<char>('0' + random() % 10);
    for (int n = 1 + static_cast<int>(random() % 13); n > 0; --n)
      hex += hexDigits[random() % 22];
    for (int n = 1 + static_cast<int>(random() % 17); n > 0; --n)
      octal += static_cast<char>('0' + random() % 8);
    std::string sign = random() % 2 ? "-" : "";
    ASSERT_EQ(Read(sign + decimal), std::strtod((sign + decimal).c_str(), nullptr)) << decimal;
    ASSERT_EQ(Read("&H" + hex), static_cast<double>(std::strtoull(hex.c_str(), nullptr, 16)))
        << hex;
    ASSERT_EQ(Read("&o" + octal), static_cast<double>(std::strtoull(octal.c_str(), nullptr, 8)))
        << octal;
  }
}

} // namespace
