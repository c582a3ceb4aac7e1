// Each family of stand-ins, driven by the probe DLL through the guest's own import calls.
#include "probe_machine.h"
#include "workbench/winapi/standin.h"
#include "workbench/winapi/windows.h"

namespace {

TEST_F(ProbeMachine, HeapKeepsContentsAcrossReAllocAndBalancesBlocks) {
  uint32_t sum = 0;
  ASSERT_TRUE(Call("HeapRoundTrip", {100}, &sum)) << lastError;
  EXPECT_EQ(sum, 100u * 101 / 2); // zeroed at first, then 1..n survived the move
  EXPECT_EQ(LiveHeapBlockCount(m), 0u);
  EXPECT_TRUE(m.problems.empty());
  auto calls = CallsNamed(m.log, {"HeapAlloc", "HeapReAlloc", "HeapFree"});
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].arguments, (CallArguments{kProcessHeapHandle, 8, 100}));
  EXPECT_EQ(calls[1].arguments[3], 200u);
  EXPECT_EQ(calls[2].arguments[2], calls[1].result);
}

TEST_F(ProbeMachine, HeapReportsDoubleFreeOverrunAndLeak) {
  uint32_t result = 1;
  ASSERT_TRUE(Call("DoubleFree", {}, &result)) << lastError;
  EXPECT_EQ(result, 0u);
  ASSERT_EQ(m.problems.size(), 1u);
  EXPECT_NE(m.problems[0].find("HeapFree: double free of 0x"), std::string::npos);
  ASSERT_TRUE(Call("Overrun", {12}, &result)) << lastError;
  ASSERT_EQ(m.problems.size(), 2u);
  EXPECT_NE(m.problems[1].find("of 12 bytes was written past its end"), std::string::npos);
  uint32_t leaked = 0;
  ASSERT_TRUE(Call("Leak", {5}, &leaked)) << lastError;
  EXPECT_EQ(LiveHeapBlockCount(m), 1u);
  EXPECT_TRUE(CheckHeapGuards(m).empty());
  uint8_t poke = 0;
  WriteGuest(m, leaked + 5, &poke, 1);
  ASSERT_EQ(CheckHeapGuards(m).size(), 1u);
}

TEST_F(ProbeMachine, CriticalSectionsCountEntersAndLeaves) {
  uint32_t recursion = 0;
  ASSERT_TRUE(Call("UseLock", {1}, &recursion)) << lastError;
  EXPECT_EQ(recursion, 1u); // the guest structure shows one enter still held
  EXPECT_EQ(HeldCriticalSections(m), 1u);
  ASSERT_TRUE(Call("UseLock", {3}, &recursion)) << lastError;
  EXPECT_EQ(recursion, 0u);
  ASSERT_EQ(m.problems.size(), 1u);
  EXPECT_NE(m.problems[0].find("which is not entered"), std::string::npos);
}

TEST_F(ProbeMachine, StringFunctionsRunTheSharedModels) {
  uint32_t out = ScratchAlloc(m, 64), result = 0;
  ASSERT_TRUE(Call("Format", {out, static_cast<uint32_t>(-4), Text("ab")}, &result)) << lastError;
  std::string text;
  ASSERT_TRUE(ReadGuestString(m, out, &text));
  EXPECT_EQ(text, "+-04|ab|ff"); // the "+" is literal; "%03d" counts the sign
  EXPECT_EQ(result, text.size());
  ASSERT_TRUE(Call("Format", {out, 15, Text("")}, &result)) << lastError;
  ASSERT_TRUE(ReadGuestString(m, out, &text));
  EXPECT_EQ(text, "+015||ff");

  uint32_t mixed = Text("abc\x82\xa0z");
  ASSERT_TRUE(Call("Upper", {mixed}, &result));
  EXPECT_EQ(result, mixed);
  ASSERT_TRUE(ReadGuestString(m, mixed, &text));
  EXPECT_EQ(text, "ABC\x82\xa0Z");
  ASSERT_TRUE(Call("UpperChar", {'q'}, &result));
  EXPECT_EQ(result, static_cast<uint32_t>('Q'));

  struct {
    std::string left;
    int32_t leftLength;
    std::string right;
    int32_t rightLength;
    uint32_t expected;
  } comparisons[] = {{"0", 1, "0", 1, 2},
                     {"-", 1, "0", 1, 1},
                     {"b", -1, "a", -1, 3},
                     {"ab", 1, "a", 1, 2},
                     {"a", 1, "ab", 2, 1}};
  for (const auto &c : comparisons) {
    ASSERT_TRUE(Call("Compare",
                     {Text(c.left), static_cast<uint32_t>(c.leftLength), Text(c.right),
                      static_cast<uint32_t>(c.rightLength)},
                     &result));
    EXPECT_EQ(result, c.expected) << c.left << " vs " << c.right;
  }
  ASSERT_TRUE(Call("Length", {Text("hello")}, &result));
  EXPECT_EQ(result, 5u);
  ASSERT_TRUE(Call("Length", {0}, &result));
  EXPECT_EQ(result, 0u);

  uint32_t overlap = Text("abcdef");
  ASSERT_TRUE(Call("Move", {overlap + 1, overlap, 4}));
  ASSERT_TRUE(ReadGuestString(m, overlap, &text));
  EXPECT_EQ(text, "aabcdf");
}

TEST_F(ProbeMachine, StandInWritesIntoReadOnlyMemoryStop) {
  uint32_t readOnly = m.modules[0].base; // the headers
  EXPECT_FALSE(Call("Move", {readOnly, Text("x"), 1}));
  EXPECT_NE(lastError.find("RtlMoveMemory"), std::string::npos) << lastError;
}

TEST_F(ProbeMachine, DebugOutputIsCaptured) {
  ASSERT_TRUE(Call("Debug", {Text("line\r\n")}));
  EXPECT_EQ(DebugOutput(m), std::vector<std::string>{"line\r\n"});
  EXPECT_EQ(m.log.calls.back().detail, "\"line\\r\\n\"");
}

TEST_F(ProbeMachine, WindowModelsKeepTextAndList) {
  uint32_t edit = CreateEditModel(m), combo = CreateComboBoxModel(m), result = 0;
  ASSERT_TRUE(Call("SetText", {edit, Text("hello")}, &result));
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(WindowModelsOf(m)[edit].text, "hello");
  ASSERT_TRUE(Call("SetText", {0x1234, Text("x")}, &result));
  EXPECT_EQ(result, 0u);
  WindowModelsOf(m)[combo].items = {"old"};
  ASSERT_TRUE(Call("FillCombo", {combo}, &result));
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(WindowModelsOf(m)[combo].items, (std::vector<std::string>{"one", "two"}));
  auto sent = CallsNamed(m.log, {"SendMessageA"});
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].arguments, (CallArguments{combo, kCbResetContent, 0, 0}));
  EXPECT_EQ(sent[1].detail, "CB_ADDSTRING \"one\"");
  EXPECT_TRUE(m.problems.empty());

  // Messages the models do not answer get 0, the unknown one also a report; nothing changes.
  const struct {
    uint32_t window, message;
    const char *problem; // null: none
  } unanswered[] = {{combo, 0x0401, "message 0x00000401 to 0x"},
                    {edit, 0x0401, "message 0x00000401 to 0x"},
                    {edit, kCbAddString, nullptr}, // a combo box's message: the edit control's 0
                    {0x1234, 0x0401, nullptr}};    // no such window: 0, as Windows answers
  for (const auto &c : unanswered) {
    m.problems.clear();
    ASSERT_TRUE(Call("Send", {c.window, c.message, 0, Text("x")}, &result)) << lastError;
    EXPECT_EQ(result, 0u);
    if (c.problem)
      EXPECT_TRUE(m.problems.size() == 1 && m.problems[0].find(c.problem) != std::string::npos)
          << c.problem;
    else
      EXPECT_TRUE(m.problems.empty()) << m.problems[0];
  }
  EXPECT_EQ(WindowModelsOf(m)[edit].text, "hello");
  EXPECT_EQ(WindowModelsOf(m)[combo].items, (std::vector<std::string>{"one", "two"}));
}

TEST_F(ProbeMachine, ImageListsDrawResourcePixelsOpaquely) {
  const uint32_t fill = 0xFF123456;
  uint32_t dc = CreateCanvas(m, 4, 3, fill), first = 99;
  // Bitmap 7 is 4 x 2: top row colours 0 1 2 3, bottom row 3 2 1 0 of its table.
  const uint32_t black = 0xFF000000, red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
  ASSERT_TRUE(Call("DrawProbe", {dc, 1, 1, 1}, &first)) << lastError;
  EXPECT_EQ(first, 0u);
  const std::vector<uint32_t> expected = {fill, fill,  fill,  fill, //
                                          fill, green, blue,  fill, //
                                          fill, red,   black, fill};
  EXPECT_EQ(Gdi(m).canvases[dc].pixels.data, expected);
  EXPECT_FALSE(Gdi(m).canvases[dc].drewOutside);
  ASSERT_TRUE(Call("DrawProbe", {dc, 0, 3, 2}, &first));
  EXPECT_TRUE(Gdi(m).canvases[dc].drewOutside);
  EXPECT_EQ(Gdi(m).canvases[dc].pixels.data[11], black);
  EXPECT_EQ(Gdi(m).bitmapsCreated, 2u);
  EXPECT_EQ(Gdi(m).bitmapsDeleted, 2u);
  EXPECT_EQ(Gdi(m).listsCreated, Gdi(m).listsDestroyed);
  EXPECT_TRUE(Gdi(m).bitmaps.empty() && Gdi(m).imageLists.empty());
  auto load = CallsNamed(m.log, {"LoadBitmapA"});
  EXPECT_EQ(load[0].arguments, (CallArguments{m.modules[0].base, 7}));
  EXPECT_EQ(load[0].detail, "bitmap 7, 4x2");
}

// Image k of the probe's list is column k of bitmap 7; drawing it at a negative position keeps
// only the part inside the canvas.
TEST_F(ProbeMachine, ImageListDrawsClipAtNegativePositions) {
  const uint32_t fill = 0xFF123456;
  uint32_t dc = CreateCanvas(m, 2, 2, fill);
  ASSERT_TRUE(Call("DrawProbe", {dc, 1, static_cast<uint32_t>(-1), static_cast<uint32_t>(-1)}))
      << lastError;
  EXPECT_TRUE(Gdi(m).canvases[dc].drewOutside);
  const uint32_t black = 0xFF000000;
  EXPECT_EQ(Gdi(m).canvases[dc].pixels.data, (std::vector<uint32_t>{black, fill, fill, fill}));
}

TEST_F(ProbeMachine, TheChosenCallFailsAndNoOther) {
  EXPECT_FALSE(FailNthCall(m, "HeapFree", 1)) << "HeapFree cannot be made to fail";
  EXPECT_FALSE(FailNthCall(m, "NoSuchFunction", 1));
  ASSERT_TRUE(FailNthCall(m, "HeapAlloc", 2));
  uint64_t before = CallCount(m, "HeapAlloc");
  uint32_t blocks[3];
  for (uint32_t &block : blocks)
    ASSERT_TRUE(Call("Leak", {8}, &block)) << lastError;
  EXPECT_NE(blocks[0], 0u);
  EXPECT_EQ(blocks[1], 0u);
  EXPECT_NE(blocks[2], 0u);
  EXPECT_EQ(CallCount(m, "HeapAlloc"), before + 3);
  EXPECT_EQ(InjectedFailures(m), 1u);
  EXPECT_EQ(LiveHeapBlockCount(m), 2u);
  EXPECT_EQ(CallsNamed(m.log, {"HeapAlloc"})[1].detail, "failure injected");
}

// Each image-list step refused in turn, as Windows refuses it: a null list or bitmap makes the
// later calls fail without a crash or a complaint, and nothing is drawn or left.
TEST_F(ProbeMachine, RefusedImageListStepsFailQuietly) {
  const uint32_t fill = 0xFF123456;
  for (const char *function : {"ImageList_Create", "LoadBitmapA", "ImageList_Add"}) {
    uint32_t dc = CreateCanvas(m, 4, 3, fill), first = 0;
    ASSERT_TRUE(FailNthCall(m, function, 1));
    ASSERT_TRUE(Call("DrawProbe", {dc, 0, 0, 0}, &first)) << lastError;
    EXPECT_EQ(first, 0xFFFFFFFFu) << function;
    EXPECT_EQ(Gdi(m).canvases[dc].pixels.data, std::vector<uint32_t>(12, fill)) << function;
    EXPECT_TRUE(Gdi(m).bitmaps.empty() && Gdi(m).imageLists.empty()) << function;
    EXPECT_TRUE(m.problems.empty()) << function << ": " << m.problems[0];
  }
}

} // namespace
