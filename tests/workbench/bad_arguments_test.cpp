// Every export handed what a careless host might hand it: null, stale and foreign window
// handles, null and invalid device contexts, a record at the very end of mapped memory, every
// DllMain reason and a second attach. Each has one defined result and leaves nothing behind.
#include <gtest/gtest.h>

#include <cstring>

#include "design/ticket_design.h"
#include "tests/workbench/product_fixture.h"
#include "workbench/host/conformance.h"
#include "workbench/host/design.h"
#include "workbench/host/leak_check.h"
#include "workbench/winapi/standin.h"

namespace {

class BadArguments : public ProductFixture {
protected:
  size_t blocks = 0;
  void SetUp() override {
    ProductFixture::SetUp();
    blocks = LiveHeapBlockCount(p.m);
  }

  uint32_t Call(const char *name, const std::vector<uint32_t> &arguments) {
    uint32_t result = 0xBAD;
    std::string error;
    EXPECT_TRUE(CallPlugin(p, name, arguments, &result, &error)) << error;
    EXPECT_EQ(LeftBehind(p, blocks), "") << name;
    return result;
  }

  // A window the host made and destroyed again: its handle names nothing now.
  uint32_t StaleWindow() {
    uint32_t window = CreateEditModel(p.m);
    WindowModelsOf(p.m).erase(window);
    return window;
  }
};

TEST_F(BadArguments, SetPlgCommentOnNoWindowGivesZeroAndTouchesNothing) {
  struct Case {
    const char *what;
    uint32_t window;
  };
  const Case cases[] = {{"null", 0}, {"stale", StaleWindow()}, {"never made", 0x0BADF00D}};
  for (const Case &c : cases) {
    p.m.log.calls.clear();
    EXPECT_EQ(Call("SetPlgComment", {c.window}), 0u) << c.what;
    EXPECT_EQ(CallsNamed(p.m.log, {"SetWindowTextA"}).size(), c.window ? 1u : 0u) << c.what;
  }
}

// A combo box takes a window text like any window: the description goes in and its result,
// success, comes back.
TEST_F(BadArguments, SetPlgCommentOnAComboBoxPassesOnItsResult) {
  uint32_t combo = CreateComboBoxModel(p.m);
  EXPECT_EQ(Call("SetPlgComment", {combo}), 1u);
  EXPECT_EQ(WindowModelsOf(p.m)[combo].text, kDesignDescription);
  EXPECT_TRUE(WindowModelsOf(p.m)[combo].items.empty());
}

// The list's messages are not examined: any non-null handle gives 1.
TEST_F(BadArguments, SetCorpAddListGivesZeroOnlyForNull) {
  uint32_t edit = CreateEditModel(p.m);
  WindowModelsOf(p.m)[edit].text = "kept";
  p.m.log.calls.clear();
  EXPECT_EQ(Call("SetCorpAddList", {0}), 0u);
  EXPECT_TRUE(CallsNamed(p.m.log, {"SendMessageA"}).empty());
  EXPECT_EQ(Call("SetCorpAddList", {StaleWindow()}), 1u);
  EXPECT_EQ(Call("SetCorpAddList", {0x0BADF00D}), 1u);
  EXPECT_EQ(Call("SetCorpAddList", {edit}), 1u);
  EXPECT_EQ(WindowModelsOf(p.m)[edit].text, "kept");
  EXPECT_TRUE(WindowModelsOf(p.m)[edit].items.empty());
}

// Without a device context to draw into, the image lists draw nothing and fail; the plug-in
// still builds and destroys everything and gives 0.
TEST_F(BadArguments, DrawSeirikenWithoutADeviceContextDrawsNothingAndGivesZero) {
  uint32_t stale = CreateCanvas(p.m, design::FaceWidth, design::FaceHeight, 0);
  Gdi(p.m).canvases.erase(stale);
  for (uint32_t dc : {0u, stale, 0xDEADBEEFu}) {
    for (uint32_t ticket : {0u, 42u, 0xFFFF8000u}) {
      p.m.log.calls.clear();
      EXPECT_EQ(Call("DrawSeiriken", {dc, 0, 0, 0, 0, ticket, 0, 0}), 0u) << Hex32(dc);
      auto draws = CallsNamed(p.m.log, {"ImageList_Draw"});
      EXPECT_GE(draws.size(), 2u);
      for (const LoggedCall &draw : draws)
        EXPECT_EQ(draw.result, 0u);
      EXPECT_EQ(CallsNamed(p.m.log, {"ImageList_Destroy"}).size(), 2u);
    }
  }
}

// The record's last byte is the last byte of mapped memory: a write past the 56 bytes faults.
TEST_F(BadArguments, GetPlgInfoWritesExactlyFiftySixBytes) {
  uint32_t end = kScratchBase + kScratchSize;
  uint8_t probe = 0;
  ASSERT_FALSE(ReadGuest(p.m, end, &probe, 1)) << "memory after the host buffers is mapped";
  uint32_t record = end - sizeof(GuestPlgInfo);
  GuestPlgInfo info;
  std::memset(&info, 0xFF, sizeof info);
  WriteGuest(p.m, record, &info, sizeof info);
  EXPECT_EQ(Call("GetPlgInfo", {record}), 1u);
  ASSERT_TRUE(ReadGuest(p.m, record, &info, sizeof info));
  EXPECT_EQ(std::memcmp(&info, &kDesignPlgInfo, sizeof info), 0)
      << "InfoCode " << info.infoCode << ", " << info.width << " x " << info.height;
}

// A null record gets nothing written (the null page is unmapped, so a write would fault) and 0.
TEST_F(BadArguments, GetPlgInfoOnNullGivesZero) {
  EXPECT_EQ(Call("GetPlgInfo", {0}), 0u);
}

// Only process attach does anything, and only the first time: a second attach keeps the store,
// its lock and the module handle the drawing loads its bitmaps from.
TEST_F(BadArguments, DllMainChangesNothingAfterTheFirstAttach) {
  TextStoreSnapshot before, after;
  std::string error;
  ASSERT_TRUE(ReadGuestTextStore(p, &before, &error)) << error;
  uint64_t initialised = CallCount(p.m, "InitializeCriticalSection");
  uint64_t allocated = CallCount(p.m, "HeapAlloc");
  struct Case {
    uint32_t instance, reason, result;
  };
  const Case cases[] = {{0x12340000, 1, 1}, {0, 1, 1}, {0, 0, 0},         {0, 2, 0},
                        {0, 3, 0},          {0, 4, 0}, {0, 0xFFFFFFFF, 0}};
  for (const Case &c : cases)
    EXPECT_EQ(Call("DllMain", {c.instance, c.reason, 0xFFFFFFFF}), c.result) << c.reason;
  ASSERT_TRUE(ReadGuestTextStore(p, &after, &error)) << error;
  EXPECT_EQ(after.address, before.address);
  EXPECT_EQ(std::memcmp(&after.store, &before.store, sizeof after.store), 0)
      << "slots, count, refusals, lock or heap changed";
  EXPECT_EQ(CallCount(p.m, "InitializeCriticalSection"), initialised);
  EXPECT_EQ(CallCount(p.m, "HeapAlloc"), allocated);
  CheckResult drawing = CheckDrawCalls(p, 42);
  EXPECT_TRUE(drawing.ok) << drawing.detail;
}

} // namespace
