// The text store: block layout, slot order and resizes, release by address, refused blocks.
#include <climits>
#include <cstring>

#include "tests/text/store_fixture.h"
#include "tests/text/unknown_text_line.h"

namespace {

std::vector<size_t> ReAllocSizes() {
  std::vector<size_t> sizes;
  for (const HeapEvent &e : HeapEvents())
    if (e.call == HeapCall::ReAlloc)
      sizes.push_back(e.bytes);
  return sizes;
}

using TextStoreTest = StoreTest;

TEST_F(TextStoreTest, BlockHoldsLengthBytesAndTerminator) {
  Text empty = AllocText(0);
  EXPECT_EQ(TheTextStore.Count, 1);
  EXPECT_EQ(TextLength(empty), 0);
  EXPECT_EQ(empty[0], 0);

  Text three = AllocText(3);
  const unsigned char expected[8] = {3, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(three - 4, expected, 8), 0);
  EXPECT_EQ(HeapEvents()[0].bytes, 5u);
  EXPECT_EQ(HeapEvents()[2].bytes, 8u); // the second block: 3 + 5 bytes
  ReleaseText(empty);
  ReleaseText(three);
}

TEST_F(TextStoreTest, SlotsFollowCreationOrderAndResizeAtEachAllocation) {
  Text a = AllocText(1), b = AllocText(1), c = AllocText(1);
  const size_t slot = sizeof(Text);
  EXPECT_EQ(ReAllocSizes(), (std::vector<size_t>{slot, 2 * slot, 3 * slot}));
  ReleaseText(a);
  ReleaseText(b);
  EXPECT_EQ(ReAllocSizes().size(), 3u) << "a release never resizes the slots";
  Text d = AllocText(1);
  EXPECT_EQ(ReAllocSizes().back(), 2 * slot);
  ASSERT_EQ(TheTextStore.Count, 2);
  EXPECT_EQ(TheTextStore.Slots[0], c);
  EXPECT_EQ(TheTextStore.Slots[1], d);
  ReleaseText(c);
  ReleaseText(d);
}

TEST_F(TextStoreTest, ReleaseClosesTheGapAndReportsUnknownAddressesOnce) {
  Text a = AllocText(2), b = AllocText(2), c = AllocText(2);
  ReleaseText(b);
  ASSERT_EQ(TheTextStore.Count, 2);
  EXPECT_EQ(TheTextStore.Slots[0], a);
  EXPECT_EQ(TheTextStore.Slots[1], c);
  EXPECT_TRUE(DebugLines().empty());

  ReleaseText(b); // already released: nothing freed, one line
  EXPECT_EQ(TheTextStore.Count, 2);
  ASSERT_EQ(DebugLines().size(), 1u);
  EXPECT_EQ(DebugLines()[0], UnknownTextLine());

  ReleaseText(a + 1); // inside a live text, not its start
  EXPECT_EQ(TheTextStore.Count, 2);
  EXPECT_EQ(DebugLines().size(), 2u);

  char notAText[8] = {};
  ReleaseText(notAText + 4);
  EXPECT_EQ(DebugLines().size(), 3u);

  ReleaseText(nullptr); // silently ignored
  EXPECT_EQ(DebugLines().size(), 3u);

  size_t frees = 0;
  for (const HeapEvent &e : HeapEvents())
    frees += e.call == HeapCall::Free;
  EXPECT_EQ(frees, 1u) << "only the one known release frees a block";
  ReleaseText(a);
  ReleaseText(c);
}

TEST_F(TextStoreTest, NegativeCountsMakeEmptyTexts) {
  Text t = AllocText(-5);
  EXPECT_EQ(TextLength(t), 0);
  EXPECT_EQ(HeapEvents()[0].bytes, 5u);
  ReleaseText(t);
  t = AllocText(INT_MIN);
  EXPECT_EQ(TextLength(t), 0);
  ReleaseText(t);
}

// A refused text block, or slots that cannot grow, give the shared empty text: the store stays
// exact, the old slots stay usable, and releasing the empty text says nothing.
TEST_F(TextStoreTest, RefusedHeapBlocksLeaveTheStoreIntact) {
  Text kept = MakeText("kept");
  for (int refused = 0; refused < 2; ++refused) {
    SCOPED_TRACE(refused == 0 ? "text block refused" : "slots refused");
    size_t blocks = LiveHeapBlocks();
    FailHeapCallAfter(refused);
    Text t = AllocText(10);
    EXPECT_EQ(TextLength(t), 0);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(TheTextStore.Count, 1);
    EXPECT_EQ(TheTextStore.Slots[0], kept);
    EXPECT_EQ(LiveHeapBlocks(), blocks) << "no unregistered block is left behind";
    ReleaseText(t);
    EXPECT_TRUE(DebugLines().empty());
  }
  Text later = AllocText(1); // the store still grows after a refusal
  EXPECT_EQ(TheTextStore.Count, 2);
  EXPECT_EQ(Take(kept), "kept");
  ReleaseText(later);
}

// A store whose slot block was refused at attach makes one at its first text.
TEST_F(TextStoreTest, StoreWithoutSlotsMakesThemAtTheFirstText) {
  Text *attached = TheTextStore.Slots;
  TheTextStore.Slots = nullptr;
  Text t = AllocText(1);
  ASSERT_EQ(TheTextStore.Count, 1);
  EXPECT_EQ(TheTextStore.Slots[0], t);
  EXPECT_TRUE(ReAllocSizes().empty());
  EXPECT_EQ(HeapEvents().back().bytes, sizeof(Text));
  ReleaseText(t);
  HeapFree(TheTextStore.Heap, 0, TheTextStore.Slots);
  TheTextStore.Slots = attached;
}

} // namespace
