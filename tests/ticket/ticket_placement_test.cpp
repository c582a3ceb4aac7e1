// The rule from a ticket number to its glyphs and cells, run natively on the stand-ins.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/ticket_digits.h"
#include "standin/observe.h"
#include "tests/ticket/resulting_tickets.h"
#include "text/text_ops.h"

namespace {

struct Placed {
  std::vector<DigitPlacement> placements;
  bool operator==(const Placed &other) const {
    if (placements.size() != other.placements.size())
      return false;
    for (size_t i = 0; i < placements.size(); ++i) {
      const DigitPlacement &a = placements[i], &b = other.placements[i];
      if (a.Glyph != b.Glyph || a.X != b.X || a.Y != b.Y)
        return false;
    }
    return true;
  }
};

Placed Place(int32_t ticketNumberArgument) {
  DigitPlacement out[2] = {};
  int32_t count = TicketPlacements(ticketNumberArgument, out);
  return {std::vector<DigitPlacement>(out, out + (count > 0 ? count : 0))};
}

// A ticket in the terms of the table of resulting tickets: -1 for an empty tens cell.
Placed Ticket(int tens, int units) {
  Placed p;
  if (tens >= 0)
    p.placements.push_back({tens, 121, 18});
  p.placements.push_back({units, 161, 18});
  return p;
}

class TicketPlacementTest : public testing::Test {
protected:
  static void SetUpTestSuite() { InitTextStore(); }
  void SetUp() override { ResetObservations(); }
  void TearDown() override {
    EXPECT_EQ(TheTextStore.Count, 0) << "the rule left texts in the store";
    EXPECT_TRUE(DebugLines().empty());
  }
};

TEST_F(TicketPlacementTest, TableOfResultingTickets) {
  for (const ResultingTicket &row : ResultingTickets)
    EXPECT_TRUE(Place(row.ticket) == Ticket(row.tens, row.units))
        << "ticket argument " << row.ticket;
}

TEST_F(TicketPlacementTest, EveryLowHalfWord) {
  SetHeapRecording(false);
  const Placed zero = Place(0);
  for (int32_t low = 0; low < 65536; ++low) {
    int16_t n = static_cast<int16_t>(low);
    Placed p = Place(low);
    ASSERT_GE(p.placements.size(), 1u) << n;
    ASSERT_LE(p.placements.size(), 2u) << n;
    for (const DigitPlacement &d : p.placements) {
      ASSERT_TRUE(d.Glyph >= 0 && d.Glyph <= 9) << n;
      ASSERT_TRUE((d.X == 121 || d.X == 161) && d.Y == 18) << n;
    }
    ASSERT_EQ(p.placements.back().X, 161) << "the units cell is always drawn, for " << n;
    // The upper half never matters.
    ASSERT_TRUE(Place(low | 0x12340000) == p) << n;
    ASSERT_TRUE(Place(low | static_cast<int32_t>(0xFFFF0000)) == p) << n;
    if (n >= 100 || n == -1) {
      ASSERT_TRUE(p == zero) << n;
    } else if (n >= 10) { // two glyphs that read back as the number
      ASSERT_EQ(p.placements.size(), 2u) << n;
      ASSERT_EQ(p.placements[0].Glyph * 10 + p.placements[1].Glyph, n);
    } else if (n >= 0) {
      ASSERT_TRUE(p == Ticket(-1, n)) << n;
    } else { // a "-" in the tens cell, drawn as 0, then the first digit of the magnitude
      ASSERT_TRUE(p == Ticket(0, std::to_string(-static_cast<int>(n))[0] - '0')) << n;
    }
  }
  SetHeapRecording(true);
}

TEST_F(TicketPlacementTest, NumberTexts) {
  struct Row {
    int32_t ticket;
    const char *text;
  } rows[] = {{0, "0"}, {42, "42"}, {-5, "-5"}, {-32768, "-32768"}, {100, "0"}, {-1, "0"}};
  for (const Row &row : rows) {
    Text t = TicketNumberText(row.ticket);
    EXPECT_EQ(std::string(t, TextLength(t)), row.text);
    ReleaseText(t);
  }
}

// When any text the placements rest on cannot be made, no glyph is placed: never a wrong figure.
TEST_F(TicketPlacementTest, RefusedTextsPlaceNothingRatherThanAWrongFigure) {
  for (int32_t ticket : {0, 7, 42, -5, -32768}) {
    ResetObservations();
    Place(ticket);
    size_t calls = 0;
    for (const HeapEvent &e : HeapEvents())
      calls += e.call != HeapCall::Free;
    for (size_t refused = 0; refused < calls; ++refused) {
      FailHeapCallAfter(static_cast<int>(refused));
      Placed p = Place(ticket);
      EXPECT_TRUE(p.placements.empty() || p == Place(ticket))
          << "ticket " << ticket << ", allocation " << refused << " refused";
      EXPECT_EQ(TheTextStore.Count, 0);
    }
  }
}

} // namespace
