#include <cmath>
#include <limits>
#include <string>

#include "conversion_fixture.h"

namespace {

struct Reading {
  std::string text;
  uint64_t bits; // the exact double expected, negative zero included
};

constexpr uint64_t PositiveZero = 0;
constexpr uint64_t NegativeZero = 0x8000000000000000u;

using TextToNumberTest = ConversionTest;

TEST_F(TextToNumberTest, ReadsTheDefinedNumbers) {
  const Reading cases[] = {
      {"0", BitsOf(0)},
      {"7", BitsOf(7)},
      {"9", BitsOf(9)},
      {"-", NegativeZero},
      {"-0", NegativeZero},
      {"+", PositiveZero},
      {"", PositiveZero},
      {"x", PositiveZero},
      {" 42", BitsOf(42)},
      {"\t\t7", BitsOf(7)},
      {"\n7", PositiveZero}, // only spaces and tabs are blanks
      {"-3.25", BitsOf(-3.25)},
      {"+3.25", BitsOf(3.25)},
      {"1.5e3", BitsOf(1.5)},
      {"12abc", BitsOf(12)},
      {".5", BitsOf(0.5)},
      {"-.5", BitsOf(-0.5)},
      {"5.", BitsOf(5)},
      {"1.2.3", BitsOf(1.2)},
      {"- 3", NegativeZero},
      {"+-5", PositiveZero},
      {"-&H10", NegativeZero},
      {std::string("12\0"
                   "34",
                   5),
       BitsOf(12)}, // the scan stops at a zero byte inside the text
      {"-32768", BitsOf(-32768)},
      {"123456789012345", BitsOf(123456789012345.0)},
      // Each fraction digit is divided by its own power of ten and added in turn, which is
      // not always the double nearest to the decimal text.
      {"0.12", 0x3FBEB851EB851EB9u},
      {"0.123", 0x3FBF7CED916872B1u},
      // Long integer parts are rounded the same way, least significant digit first.
      {"99388751317469353", 0x43761198AF0F288Au},
  };
  for (const Reading &c : cases)
    EXPECT_EQ(BitsOf(Read(c.text)), c.bits) << "text \"" << c.text << "\"";
}

TEST_F(TextToNumberTest, ReadsOctalAndHexadecimal) {
  const Reading cases[] = {
      {"&H1F", BitsOf(31)},
      {"&hff", BitsOf(255)},
      {"  &HfF", BitsOf(255)},
      {"&O17", BitsOf(15)},
      {"&o17", BitsOf(15)},
      {"&O8", PositiveZero},
      {"&O178", BitsOf(15)},
      {"&X1", PositiveZero},
      {"&", PositiveZero},
      {"&H", PositiveZero},
      {"&O", PositiveZero},
      {"& H1", PositiveZero},
      {"&H 1", PositiveZero},
      {"&H-1", PositiveZero},
      {"&H1G", BitsOf(1)},
      {"&H1.5", BitsOf(1)},
      {"&H7FFFFFFFFFFFFFFF", BitsOf(9223372036854775807.0)},
      {"&O777777777777777777777", BitsOf(9223372036854775807.0)},
  };
  for (const Reading &c : cases)
    EXPECT_EQ(BitsOf(Read(c.text)), c.bits) << "text \"" << c.text << "\"";
}

// Runs longer than a 64-bit weight holds read as the unsigned integer they spell, rather than
// wrapping to a negative number or zero; leading zeros never change a value, and a number beyond
// the double range reads as infinity.
TEST_F(TextToNumberTest, LongRunsReadAsTheirUnsignedValue) {
  const double infinity = std::numeric_limits<double>::infinity();
  const std::string zeros400(400, '0');
  const Reading cases[] = {
      {"&H8000000000000000", BitsOf(9223372036854775808.0)},
      {"&H10000000000000000", BitsOf(18446744073709551616.0)},
      {"&HFFFFFFFFFFFFFFFF", BitsOf(18446744073709551616.0)},
      {"&O1000000000000000000000", BitsOf(9223372036854775808.0)},
      {"&H" + zeros400 + "1F", BitsOf(31)},
      {"&H1" + std::string(255, '0'), BitsOf(0x1p1020)},
      {"&H1" + std::string(256, '0'), BitsOf(infinity)},
      {"&O1" + std::string(400, '0'), BitsOf(infinity)},
      {zeros400 + "42", BitsOf(42)},
      {"-" + zeros400 + "42.5", BitsOf(-42.5)},
      // The weight 10^308 comes from 308 rounded multiplications and lands one unit low.
      {"1" + std::string(308, '0'), BitsOf(std::nextafter(1e308, 0.0))},
      {"1" + std::string(309, '0'), BitsOf(infinity)},
      {"-1" + std::string(400, '0'), BitsOf(-infinity)},
      // Fraction digits past the double range add nothing.
      {"0." + zeros400 + "1", PositiveZero},
  };
  for (const Reading &c : cases)
    EXPECT_EQ(BitsOf(Read(c.text)), c.bits) << "text \"" << c.text.substr(0, 24) << "...\"";
}

// The given text and the working copy of the octal and hexadecimal forms are both released:
// the store ends with one text fewer than before the call and its heap blocks are freed.
TEST_F(TextToNumberTest, ReleasesTheGivenTextAndItsCopy) {
  for (const char *chars : {"&HFF", "-12.5", "&"}) {
    Text text = TextFromChars(chars);
    int32_t withText = TheTextStore.Count;
    size_t blocksWithText = LiveHeapBlocks();
    TextToNumber(text);
    EXPECT_EQ(TheTextStore.Count, withText - 1) << chars;
    EXPECT_EQ(LiveHeapBlocks(), blocksWithText - 1) << chars;
  }
  EXPECT_TRUE(DebugLines().empty());
}

// A refused working copy reads as no number at all, and the given text is still released.
TEST_F(TextToNumberTest, RefusedWorkingCopyReadsAsZero) {
  Text text = TextFromChars("&H1F");
  FailHeapCallAfter(0);
  EXPECT_EQ(BitsOf(TextToNumber(text)), PositiveZero);
  EXPECT_TRUE(DebugLines().empty());
}

} // namespace
