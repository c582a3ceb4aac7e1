#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "native_winapi/format_model.h"
#include "native_winapi/windows_standin.h"

namespace {

struct Formatted {
  const char *format;
  int32_t argument;
  const char *text;
};

// The system's own results for one-argument formats (wsprintfA, checked under Wine).
TEST(FormatModelTest, FormatsLikeTheSystem) {
  const Formatted cases[] = {
      {"%03d", -4, "-04"},
      {"+%03d", 15, "+015"},
      {"%03d", -323, "-323"},
      {"+%03d", 308, "+308"},
      {"%d", INT32_MIN, "-2147483648"},
      {"%i", -12, "-12"},
      {"%u", -1, "4294967295"},
      {"%x", -1, "ffffffff"},
      {"%X", 255, "FF"},
      {"%08X|", 0xabc, "00000ABC|"},
      {"%5d|", 42, "   42|"},
      {"%-5d|", 42, "42   |"},
      {"%-05d|", 42, "42   |"},
      {"%05d|", -42, "-0042|"},
      {"%0d|", 0, "0|"},
      {"%c|", 'A', "A|"},
      {"%03c|", 'A', "  A|"},
      {"%%|%d", 7, "%|7"},
      {"%y|%d", 7, "y|7"},
      {"abc%", 7, "abc"},
  };
  for (const Formatted &c : cases) {
    char out[64];
    int count = wsprintfA(out, c.format, c.argument);
    EXPECT_EQ(std::string(out), c.text) << c.format;
    EXPECT_EQ(count, static_cast<int>(std::string(c.text).size())) << c.format;
  }
}

TEST(FormatModelTest, FormatsStrings) {
  char out[64];
  EXPECT_EQ(wsprintfA(out, "[%5s][%-5s][%05s]", "ab", "ab", "ab"), 21);
  EXPECT_STREQ(out, "[   ab][ab   ][   ab]");
  EXPECT_EQ(wsprintfA(out, "%s|%d", static_cast<const char *>(nullptr), 3), 8);
  EXPECT_STREQ(out, "(null)|3");
}

// A %c of zero writes the zero byte and counts it, as the system does.
TEST(FormatModelTest, CountsAZeroCharacter) {
  char out[8];
  EXPECT_EQ(wsprintfA(out, "%c|", 0), 2);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(out[1], '|');
}

// Output stops at 1023 characters and the terminator, however long the arguments ask it to be.
TEST(FormatModelTest, StopsAtTheOutputLimit) {
  std::string out(2048, 'Z');
  std::string longText(1500, 'a');
  EXPECT_EQ(wsprintfA(&out[0], "%s", longText.c_str()), FormatOutputLimit - 1);
  EXPECT_EQ(out[FormatOutputLimit - 1], '\0');
  EXPECT_EQ(out[FormatOutputLimit], 'Z');
  EXPECT_EQ(wsprintfA(&out[0], "%99999999999d", 5), FormatOutputLimit - 1);
  EXPECT_EQ(out[FormatOutputLimit], 'Z');
}

// A host whose arguments are 32-bit values in its own memory, such as an emulated module.
struct ArgumentList {
  const uint32_t *values;
  int taken;
};

uint32_t TakeArgument(void *context) {
  ArgumentList *list = static_cast<ArgumentList *>(context);
  return list->values[list->taken++];
}

TEST(FormatModelTest, TakesEachArgumentFromTheHost) {
  const uint32_t values[] = {0xFFFFFFFCu, 15, 0x1234, 'x', 0xDEAD};
  ArgumentList list{values, 0};
  char out[64];
  int count = FormatModel(out, "%03d +%03d %x %c %s", TakeArgument, &list);
  EXPECT_STREQ(out, "-04 +015 1234 x (null)");
  EXPECT_EQ(count, 22);
  EXPECT_EQ(list.taken, 5) << "a %s with no string source still takes its argument";
}

} // namespace
