#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "conversion_fixture.h"

namespace {

struct Shown {
  double value;
  const char *text;
};

using NumberToTextTest = ConversionTest;

TEST_F(NumberToTextTest, ShowsTheDefinedTexts) {
  const Shown cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
      {-std::numeric_limits<double>::quiet_NaN(), "0"},
      {5, "5"},
      {41, "41"},
      {-7, "-7"},
      {-32768, "-32768"},
      {0.5, "0.5"},
      {-0.25, "-0.25"},
      {0.001, "0.001"},
      {0.00012345, "0.00012345"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {-2.0 / 3.0, "-0.666666666666667"},
      {1234.5678, "1234.5678"},
      {100, "100"},
      {1e14, "100000000000000"},
      // Fifteen digits are shown, the sixteenth rounds.
      {123456789012345.6, "123456789012346"},
      {123456789012345678.0, "1.23456789012346e+017"},
      // Just short of a power of ten rounds up to it.
      {99.99999999999999, "100"},
      {0.9999999999999996, "1"},
      {9.999999999999996, "10"},
      // The step-by-step extraction drifts for large integers; that is the defined text.
      {9347451475106.0, "9347451475105.99"},
      {999999999999999.0, "1.00000000000000e+015"},
      // Exponent forms: "+%03d" above, "%03d" (sign counted in the width) below.
      {1e16, "1.00000000000000e+016"},
      {1e20, "1.00000000000000e+020"},
      {-1e20, "-1.00000000000000e+020"},
      {1e100, "1.00000000000000e+100"},
      {1.5e-5, "1.50000000000000e-05"},
      {-1.5e-5, "-1.50000000000000e-05"},
      {1e-99, "1.00000000000000e-99"},
      {1e-100, "1.00000000000000e-100"},
      {std::numeric_limits<double>::max(), "1.79769313486232e+308"},
      {-std::numeric_limits<double>::max(), "-1.79769313486232e+308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247e-324"},
      // An infinity has no digits: it gets a text of its own instead of scaling forever.
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const Shown &c : cases)
    EXPECT_EQ(Show(c.value), c.text) << "value " << c.value;
}

// The fixed form runs from E = -3 to E = 15; one step beyond either end is the exponent form.
TEST_F(NumberToTextTest, SwitchesFormsAtBothBoundaries) {
  const Shown cases[] = {
      {123456789012345.0, "123456789012345"},
      {-123456789012345.0, "-123456789012345"},
      {999999999999990.0, "999999999999990"},
      {1e15, "1.00000000000000e+015"},
      {1234567890123456.0, "1.23456789012346e+015"},
      {0.0001, "0.0001"},
      {-0.0001, "-0.0001"},
      {0.000999, "0.000999"},
      {0.00001, "1.00000000000000e-05"},
      {0.00009999, "9.99900000000000e-05"},
  };
  for (const Shown &c : cases)
    EXPECT_EQ(Show(c.value), c.text) << "value " << c.value;
}

// Every ticket number, about half of which extract a run of nines before rounding, and random
// integers up to ten million: no drift shows in their texts.
TEST_F(NumberToTextTest, IntegersBelowTenMillionArePlainDecimal) {
  SetHeapRecording(false);
  for (int i = -32768; i <= 99; ++i)
    ASSERT_EQ(Show(i), std::to_string(i));
  std::mt19937_64 random(20240601);
  for (int i = 0; i < 200000; ++i) {
    int64_t integer = static_cast<int64_t>(random() % 19999999) - 9999999;
    ASSERT_EQ(Show(static_cast<double>(integer)), std::to_string(integer));
  }
  SetHeapRecording(true);
}

struct Digits {
  double value;
  int32_t count;
  const char *digits;
  int32_t exponent;
  int32_t negative;
};

TEST_F(NumberToTextTest, NumberToDigitsGivesDigitsExponentAndSign) {
  const Digits cases[] = {
      {41, 15, "410000000000000", 2, 0},
      {-0.25, 15, "250000000000000", 0, 1},
      {0, 15, "000000000000000", 0, 0},
      {-0.0, 15, "000000000000000", 0, 0},
      {1e-100, 15, "100000000000000", -99, 0},
      {999999999999999.0, 15, "100000000000000", 16, 0},
      // Fewer digits: a carry past the first digit makes the next power of ten.
      {9.6, 1, "1", 2, 0},
      {99.7, 2, "10", 3, 0},
      {12.34, 3, "123", 2, 0},
      // Counts outside 1 to 15 take the nearest end of the range.
      {12.34, 0, "1", 2, 0},
      {-3, -5, "3", 1, 1},
      {41, 40, "410000000000000", 2, 0},
      {std::numeric_limits<double>::infinity(), 15, "000000000000000", InfiniteExponent, 0},
      {-std::numeric_limits<double>::infinity(), 3, "000", InfiniteExponent, 1},
  };
  for (const Digits &c : cases) {
    DigitBuffer buffer;
    int32_t exponent = -1234;
    int32_t negative = -1;
    const char *digits = NumberToDigits(c.value, c.count, &exponent, &negative, &buffer);
    EXPECT_EQ(digits, buffer.Digits);
    EXPECT_STREQ(digits, c.digits) << "value " << c.value << " count " << c.count;
    EXPECT_EQ(exponent, c.exponent) << "value " << c.value << " count " << c.count;
    EXPECT_EQ(negative, c.negative) << "value " << c.value << " count " << c.count;
  }
}

TEST_F(NumberToTextTest, CarryDigitCarriesLeftwardsAndReportsAnOverflow) {
  char middle[] = {1, 2, 9, 9};
  EXPECT_EQ(CarryDigit(middle, 3), 0);
  EXPECT_EQ(std::vector<char>(middle, middle + 4), (std::vector<char>{1, 3, 0, 0}));

  char inner[] = {9, 9, 9};
  EXPECT_EQ(CarryDigit(inner, 1), 1);
  EXPECT_EQ(std::vector<char>(inner, inner + 3), (std::vector<char>{0, 0, 9}));
}

TEST_F(NumberToTextTest, FloorToIntRoundsDownAndStaysInRange) {
  const struct {
    double value;
    int32_t floor;
  } cases[] = {
      {0.0, 0},
      {0.9999999999999999, 0},
      {9.999999999999998, 9},
      {-0.5, -1},
      {-1.0, -1},
      {-1.5, -2},
      {2147483646.5, 2147483646},
      {-2147483647.5, -2147483648},
      {1e10, INT32_MAX},
      {-1e10, INT32_MIN},
      {std::numeric_limits<double>::infinity(), INT32_MAX},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(FloorToInt(c.value), c.floor) << "value " << c.value;
}

// Every managed text the conversion makes for its own use ("-", ".", "e" and the initial empty
// result) is released before it returns, one heap block freed for each one made.
TEST_F(NumberToTextTest, ReleasesItsOwnTextsAndKeepsOnlyTheResult) {
  ResetObservations();
  Text text = NumberToText(-1.5e-5);
  int allocs = 0, frees = 0;
  for (const HeapEvent &event : HeapEvents()) {
    allocs += event.call == HeapCall::Alloc;
    frees += event.call == HeapCall::Free;
  }
  EXPECT_EQ(allocs, 5); // empty result, "-", ".", "e", the result
  EXPECT_EQ(frees, 4);
  EXPECT_TRUE(DebugLines().empty());
  ReleaseText(text);
}

// A refused heap block anywhere in the conversion gives either the whole text or the empty
// text, never a text cut short, and the store is left as it was.
TEST_F(NumberToTextTest, HeapRefusalNeverCutsTheTextShort) {
  const Shown cases[] = {{-1.5e-5, "-1.50000000000000e-05"}, {-1234.5678, "-1234.5678"}};
  for (const Shown &c : cases) {
    for (int refused = 0; refused < 12; ++refused) {
      ClearHeapEvents();
      FailHeapCallAfter(refused);
      Text text = NumberToText(c.value);
      std::string shown(text, static_cast<size_t>(TextLength(text)));
      EXPECT_TRUE(shown == c.text || shown.empty()) << "refused call " << refused << ": " << shown;
      ReleaseText(text);
    }
  }
  EXPECT_TRUE(DebugLines().empty());
}

} // namespace
