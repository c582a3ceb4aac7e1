// Every allocation, bitmap load, image add and image-list creation that an export reaches,
// made to fail in turn: the plug-in must not fault, must leave nothing behind, must keep its text
// store consistent, must give its documented result and must never draw a wrong figure.
#include <gtest/gtest.h>

#include <functional>

#include "design/ticket_design.h"
#include "tests/workbench/product_fixture.h"
#include "workbench/emulator/cp932.h"
#include "workbench/host/design.h"
#include "workbench/host/leak_check.h"
#include "workbench/host/ticket_picture.h"
#include "workbench/winapi/standin.h"

namespace {

const uint32_t kBackground = 0xFF00FF00;
const char *const kHeapFunctions[] = {"HeapAlloc", "HeapReAlloc"};
const char *const kDrawingFunctions[] = {"HeapAlloc", "HeapReAlloc", "LoadBitmapA", "ImageList_Add",
                                         "ImageList_Create"};
const int32_t kTickets[] = {0, 7, 42, 99, -5, -32768, 100};

class FailureInjection : public ProductFixture {
protected:
  // Runs `call` once to count the calls of `function` it makes, then once per such call with
  // that one failing, checking after each: no fault, the failure really happened, the store
  // back to no live text with the same slot array state, nothing left behind, and what `check`
  // says about the result. Returns the count.
  uint64_t EachFails(const char *function,
                     const std::function<bool(uint32_t *, std::string *)> &call,
                     const std::function<void(uint32_t)> &check) {
    uint64_t before = CallCount(p.m, function);
    uint32_t result = 0;
    std::string error;
    EXPECT_TRUE(call(&result, &error)) << error;
    uint64_t reached = CallCount(p.m, function) - before;
    for (uint32_t nth = 1; nth <= reached; ++nth) {
      SCOPED_TRACE(std::string(function) + " call " + std::to_string(nth) + " of " +
                   std::to_string(reached) + " fails");
      size_t blocks = LiveHeapBlockCount(p.m);
      uint64_t injected = InjectedFailures(p.m);
      EXPECT_TRUE(FailNthCall(p.m, function, nth));
      if (!call(&result, &error)) {
        ADD_FAILURE() << error;
        return reached;
      }
      EXPECT_EQ(InjectedFailures(p.m), injected + 1);
      TextStoreSnapshot snapshot;
      if (!ReadGuestTextStore(p, &snapshot, &error)) {
        ADD_FAILURE() << error;
        return reached;
      }
      EXPECT_EQ(snapshot.store.count, 0);
      EXPECT_TRUE(IsLiveHeapBlock(p.m, snapshot.store.slots)) << "the slot array is no live block";
      EXPECT_EQ(LeftBehind(p, blocks), "");
      check(result);
      p.m.problems.clear();
    }
    return reached;
  }

  bool Draw(int32_t ticket, uint32_t *result, std::string *error) {
    const uint32_t arguments[8] = {0, 1, 2, 3, 4, static_cast<uint32_t>(ticket), 7, 8};
    uint32_t dc = 0;
    bool ran = DrawTicket(p, arguments, design::FaceWidth, design::FaceHeight, kBackground, &dc,
                          result, error);
    picture = Gdi(p.m).canvases[dc].pixels;
    Gdi(p.m).canvases.erase(dc);
    return ran;
  }
  Pixels picture;
};

// A refused block would leave only some of the description's pieces: the window keeps its text,
// SetWindowTextA is not called and the host gets 0. With no refusal, the whole description.
TEST_F(FailureInjection, SetPlgCommentWritesTheWholeDescriptionOrNothing) {
  uint32_t edit = CreateEditModel(p.m);
  uint64_t textsSet = 0;
  auto call = [&](uint32_t *result, std::string *error) {
    WindowModelsOf(p.m)[edit].text = "old text";
    textsSet = CallCount(p.m, "SetWindowTextA");
    return CallPlugin(p, "SetPlgComment", {edit}, result, error);
  };
  for (const char *function : kHeapFunctions) {
    uint64_t reached = EachFails(function, call, [&](uint32_t result) {
      EXPECT_EQ(result, 0u);
      EXPECT_EQ(WindowModelsOf(p.m)[edit].text, "old text");
      EXPECT_EQ(CallCount(p.m, "SetWindowTextA"), textsSet);
    });
    EXPECT_EQ(reached, 7u) << function; // one text block and one slot array per piece and join
  }
  uint32_t result = 0;
  std::string error;
  ASSERT_TRUE(call(&result, &error)) << error;
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(WindowModelsOf(p.m)[edit].text, kDesignDescription);
}

TEST_F(FailureInjection, SetCorpAddListAlwaysGivesOneAndFifteenEmptyEntries) {
  uint32_t combo = CreateComboBoxModel(p.m);
  auto call = [&](uint32_t *result, std::string *error) {
    return CallPlugin(p, "SetCorpAddList", {combo}, result, error);
  };
  for (const char *function : kHeapFunctions) {
    uint64_t reached = EachFails(function, call, [&](uint32_t result) {
      EXPECT_EQ(result, 1u);
      EXPECT_EQ(WindowModelsOf(p.m)[combo].items,
                std::vector<std::string>(design::ListEntries, ""));
    });
    EXPECT_EQ(reached, 15u) << function;
  }
}

TEST_F(FailureInjection, GetPlgInfoReachesNoFailingFunction) {
  for (const char *function : kDrawingFunctions) {
    uint64_t before = CallCount(p.m, function);
    uint32_t result = 0;
    std::vector<uint8_t> record;
    std::string error;
    ASSERT_TRUE(ReadPlgInfo(p, &result, &record, &error)) << error;
    EXPECT_EQ(CallCount(p.m, function), before) << function;
  }
}

TEST_F(FailureInjection, DrawSeirikenNeverDrawsAWrongFigure) {
  for (int32_t ticket : kTickets)
    for (const char *function : kDrawingFunctions) {
      SCOPED_TRACE("ticket " + std::to_string(ticket));
      auto call = [&](uint32_t *result, std::string *error) { return Draw(ticket, result, error); };
      uint64_t reached = EachFails(function, call, [&](uint32_t result) {
        EXPECT_EQ(result, 0u);
        EXPECT_EQ(WrongFigure(p, picture, ticket, kBackground), "");
      });
      EXPECT_GT(reached, 0u) << function;
      // Afterwards the same ticket draws whole again.
      uint32_t result = 1;
      std::string error;
      ASSERT_TRUE(Draw(ticket, &result, &error)) << error;
      std::vector<GlyphDraw> drawn = GlyphDraws(p.m.log);
      EXPECT_EQ(drawn.size(), ExpectedGlyphs(ticket).size());
    }
}

// The picture check itself: a glyph other than the number's is caught, a missing one is not.
TEST_F(FailureInjection, ThePictureCheckCatchesAWrongGlyph) {
  uint32_t result = 1;
  std::string error;
  ASSERT_TRUE(Draw(42, &result, &error)) << error;
  EXPECT_EQ(WrongFigure(p, picture, 42, kBackground), "");
  EXPECT_EQ(WrongFigure(p, picture, 43, kBackground), "cell 2 shows glyph 2 instead of glyph 3; ");
  EXPECT_EQ(WrongFigure(p, picture, 2, kBackground), "cell 1 shows glyph 4 instead of the face; ");
  ASSERT_TRUE(Draw(2, &result, &error)) << error;
  EXPECT_EQ(WrongFigure(p, picture, 42, kBackground), "");
}

// Which failure costs what: a digit that is not loaded or not added means no digit at all, the
// face lost means the face alone is missing, and either list lost takes only its own images.
TEST_F(FailureInjection, AFailedImageTakesItsOwnPartOnly) {
  struct Case {
    const char *function;
    uint32_t nth;
    bool faceDrawn;
    bool digitsDrawn;
  };
  const Case cases[] = {
      {"ImageList_Create", 1, true, false}, {"ImageList_Create", 2, false, true},
      {"LoadBitmapA", 1, true, false},      {"LoadBitmapA", 4, true, false},
      {"LoadBitmapA", 10, true, false},     {"LoadBitmapA", 11, false, true},
      {"ImageList_Add", 1, true, false},    {"ImageList_Add", 10, true, false},
      {"ImageList_Add", 11, false, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.function) + " call " + std::to_string(c.nth));
    ASSERT_TRUE(FailNthCall(p.m, c.function, c.nth));
    uint32_t result = 1;
    std::string error;
    ASSERT_TRUE(Draw(42, &result, &error)) << error;
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(GlyphDraws(p.m.log).size(), c.digitsDrawn ? 2u : 0u);
    bool faceDrawn = picture.data[0] != kBackground; // the face's top-left corner is white
    EXPECT_EQ(faceDrawn, c.faceDrawn);
    EXPECT_EQ(WrongFigure(p, picture, 42, kBackground), "");
  }
}

// The one allocation of attach is the slot array. Refused, the module still attaches and every
// export still gives its documented result without a fault; no text can be registered then, so
// every text is the empty one and no ticket shows a figure.
TEST(FailureInjectionAtAttach, ARefusedSlotArrayLeavesEveryExportSafe) {
  Plugin p;
  std::string error;
  ASSERT_TRUE(LoadPlugin(p, WB_PRODUCT, &error)) << error;
  ASSERT_TRUE(FailNthCall(p.m, "HeapAlloc", 1));
  uint32_t result = 0;
  ASSERT_TRUE(CallDllMain(p, 1, &result, &error)) << error;
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(InjectedFailures(p.m), 1u);
  EXPECT_EQ(CallCount(p.m, "HeapAlloc"), 1u);

  std::string text;
  ASSERT_TRUE(ReadComment(p, &result, &text, &error)) << error;
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(text, kDesignDescription);
  std::vector<std::string> entries;
  ASSERT_TRUE(ReadList(p, &result, &entries, &error)) << error;
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(entries, std::vector<std::string>(design::ListEntries, ""));
  for (int32_t ticket : kTickets) {
    Pixels picture;
    ASSERT_TRUE(RenderTicket(p, static_cast<uint32_t>(ticket), &picture, &error)) << error;
    EXPECT_EQ(WrongFigure(p, picture, ticket, 0xFFFFFFFF), "") << ticket;
  }
  EXPECT_EQ(LiveHeapBlockCount(p.m), 1u); // the slot array, made at the first text
  EXPECT_TRUE(Gdi(p.m).bitmaps.empty() && Gdi(p.m).imageLists.empty());
  // The store makes its slot array afresh at the first text: no misuse of the heap, and texts
  // are registered again.
  EXPECT_TRUE(p.m.problems.empty());
}

} // namespace
