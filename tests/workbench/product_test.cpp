// The shipped 32-bit TKT_A1.QPL in the emulator, beyond the conformance report: the heap calls of
// the text store, the calls of every row of the design's table and the pixels drawn. The report
// itself, with every ticket number, runs once as workbench.cli.check.
#include <gtest/gtest.h>

#include <algorithm>

#include "design/resulting_tickets.h"
#include "design/ticket_design.h"
#include "tests/workbench/product_fixture.h"
#include "workbench/host/conformance.h"
#include "workbench/winapi/standin.h"

namespace {

using Product = ProductFixture;

void ExpectOk(const CheckResult &r) {
  EXPECT_TRUE(r.ok) << r.name << ": " << r.detail;
}

// The store's slot array grows by one slot per text: the first texts after attach resize it to
// 4, 8 and 12 bytes, with flags 0; every text block is zeroed.
TEST_F(Product, SlotArrayResizesAreSeenAsHeapCalls) {
  auto attach = CallsNamed(p.m.log, {"HeapAlloc"});
  ASSERT_EQ(attach.size(), 1u);
  EXPECT_EQ(attach[0].arguments, (CallArguments{kProcessHeapHandle, 0, 1}));
  uint32_t result = 0;
  std::string text, error;
  p.m.log.calls.clear();
  ASSERT_TRUE(ReadComment(p, &result, &text, &error)) << error;
  auto resizes = CallsNamed(p.m.log, {"HeapReAlloc"});
  ASSERT_GE(resizes.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(resizes[i].arguments[1], 0u);
    EXPECT_EQ(resizes[i].arguments[3], 4u * (i + 1));
  }
  auto blocks = CallsNamed(p.m.log, {"HeapAlloc"});
  ASSERT_FALSE(blocks.empty());
  for (const LoggedCall &block : blocks)
    EXPECT_EQ(block.arguments[1], 8u); // HEAP_ZERO_MEMORY
}

TEST_F(Product, DrawingMakesTheDesignsCallsForEveryRowOfTheTable) {
  for (const design::ResultingTicket &row : design::ResultingTickets)
    ExpectOk(CheckDrawCalls(p, row.ticket));
}

TEST_F(Product, DrawsTheFaceAndGlyphPixelsOnlyWithinTheFace) {
  const uint32_t sentinel = 0xFF00FF00;
  const uint32_t arguments[8] = {0, 0, 0, 0, 0, 7, 0, 0};
  uint32_t dc = 0, result = 1;
  std::string error;
  ASSERT_TRUE(DrawTicket(p, arguments, 230, 110, sentinel, &dc, &result, &error)) << error;
  const Pixels &canvas = Gdi(p.m).canvases[dc].pixels;
  for (int32_t y = 0; y < canvas.height; ++y)
    for (int32_t x = 0; x < canvas.width; ++x) {
      bool inFace = x < design::FaceWidth && y < design::FaceHeight;
      ASSERT_EQ(canvas.data[static_cast<size_t>(y * canvas.width + x)] != sentinel, inFace)
          << x << "," << y;
    }
  // Ticket 7 leaves the tens cell to the face, which is white there.
  for (int32_t y = design::CellY; y < design::CellY + design::GlyphHeight; ++y)
    for (int32_t x = design::TensCellX; x < design::UnitsCellX; ++x)
      ASSERT_EQ(canvas.data[static_cast<size_t>(y * canvas.width + x)], 0xFFFFFFFFu);
}

} // namespace
