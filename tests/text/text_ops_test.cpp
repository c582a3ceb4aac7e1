// Text operations: results, and the ownership rule (each operand released exactly once, in order).
#include <climits>

#include "tests/text/store_fixture.h"
#include "tests/text/unknown_text_line.h"

namespace {

// The blocks freed since the observations were last cleared, as text addresses.
std::vector<Text> Freed() {
  std::vector<Text> freed;
  for (const HeapEvent &e : HeapEvents())
    if (e.call == HeapCall::Free)
      freed.push_back(static_cast<Text>(e.result) + 4);
  return freed;
}

using TextOpsTest = StoreTest;

TEST_F(TextOpsTest, ConcatJoinsAndReleasesLeftThenRight) {
  Text left = MakeText("ab"), right = MakeText("cd");
  ResetObservations();
  Text joined = ConcatText(left, right);
  EXPECT_EQ(Freed(), (std::vector<Text>{left, right}));
  EXPECT_EQ(TheTextStore.Count, 1);
  EXPECT_EQ(Take(joined), "abcd");
  EXPECT_TRUE(DebugLines().empty());
}

TEST_F(TextOpsTest, ConcatOfOneTextTwiceReleasesItOnceAndReportsTheSecond) {
  Text x = MakeText("xy");
  EXPECT_EQ(Take(ConcatText(x, x)), "xyxy");
  ASSERT_EQ(DebugLines().size(), 1u);
  EXPECT_EQ(DebugLines()[0], UnknownTextLine());
}

TEST_F(TextOpsTest, CopyKeepsTheOperandAndZeroBytesInside) {
  const std::string bytes("a\0b\0", 4);
  Text original = MakeText(bytes);
  Text copy = CopyText(original);
  EXPECT_NE(copy, original);
  EXPECT_EQ(Take(copy), bytes);
  EXPECT_EQ(Take(ConcatText(original, MakeText(std::string("\0", 1)))), bytes + '\0');
}

TEST_F(TextOpsTest, LeftAndMidCutByBytesAndNeverReachOutside) {
  struct Case {
    const char *text;
    int32_t start; // 0 for LeftText
    int32_t count;
    const char *expected;
  } cases[] = {
      {"abc", 0, 2, "ab"},     {"abc", 0, 0, ""},        {"abc", 0, 9, "abc"},
      {"abc", 0, -1, ""},      {"abc", 2, 1, "b"},       {"abc", 2, 0, "bc"},
      {"abc", 2, 9, "bc"},     {"abc", 0 + 1, 3, "abc"}, {"abc", 4, 1, ""},
      {"abc", -1, 1, ""},      {"", 1, 1, ""},           {"abc", 2, -1, ""},
      {"abc", INT_MIN, 1, ""}, {"abc", INT_MAX, 1, ""},  {"abc", 3, INT_MAX, "c"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.text) + " start " + std::to_string(c.start) + " count " +
                 std::to_string(c.count));
    Text operand = MakeText(c.text);
    Text result = c.start == 0 ? LeftText(operand, c.count) : MidText(operand, c.start, c.count);
    EXPECT_EQ(Freed(), (std::vector<Text>{operand}));
    EXPECT_EQ(Take(result), c.expected);
    ResetObservations();
  }
}

TEST_F(TextOpsTest, CharTextAndTextCodeWorkOnBytes) {
  EXPECT_EQ(Take(CharText(13)), "\r");
  EXPECT_EQ(Take(CharText(0x1B1)), "\xB1") << "only the low 8 bits count";
  EXPECT_EQ(TextCode(MakeText("\xB1")), 177);
  EXPECT_EQ(TextCode(MakeText("")), 0);
  EXPECT_EQ(TextCode(CharText(0)), 0);
  EXPECT_EQ(TheTextStore.Count, 0) << "TextCode releases its operand";
}

TEST_F(TextOpsTest, TextFromCharsCountsBytes) {
  EXPECT_EQ(TextLength(TextFromChars("\x90\xae")), 2); // 整: one double-byte character
  ReleaseText(TheTextStore.Slots[0]);
  EXPECT_EQ(Take(TextFromChars("abc")), "abc");
  EXPECT_EQ(Take(TextFromChars(nullptr)), "");
}

TEST_F(TextOpsTest, CompareReturnsOrderAndReleasesLeftThenRight) {
  Text left = MakeText("0"), right = MakeText("0");
  ResetObservations();
  EXPECT_EQ(CompareText(left, right), 2);
  EXPECT_EQ(Freed(), (std::vector<Text>{left, right}));
  EXPECT_EQ(CompareText(MakeText("-"), MakeText("0")), 1);
  EXPECT_EQ(CompareText(MakeText("5"), MakeText("0")), 3);
  // By length, not up to the first zero byte.
  EXPECT_EQ(CompareText(MakeText(std::string("0\0", 2)), MakeText("0")), 3);
}

// With the heap refusing blocks the operations still release their operands and give texts that
// are safe to read and release.
TEST_F(TextOpsTest, OperationsSurviveRefusedBlocks) {
  for (int refused = 0; refused < 2; ++refused) {
    SCOPED_TRACE(refused == 0 ? "text block refused" : "slots refused");
    Text left = MakeText("ab"), right = MakeText("cd"), kept = MakeText("xyz");
    Text cut = MakeText("abc");
    FailHeapCallAfter(refused);
    EXPECT_EQ(Take(ConcatText(left, right)), "");
    FailHeapCallAfter(refused);
    EXPECT_EQ(Take(CopyText(kept)), "");
    FailHeapCallAfter(refused);
    EXPECT_EQ(Take(MidText(cut, 2, 1)), "");
    FailHeapCallAfter(refused);
    EXPECT_EQ(Take(CharText('a')), "");
    FailHeapCallAfter(refused);
    EXPECT_EQ(Take(TextFromChars("abc")), "");
    EXPECT_EQ(TheTextStore.Count, 1);
    EXPECT_EQ(Take(kept), "xyz");
  }
  EXPECT_TRUE(DebugLines().empty());
}

} // namespace
