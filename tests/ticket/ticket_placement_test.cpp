// The rule from a ticket number to its glyphs and cells, run natively on the stand-ins.
#include <gtest/gtest.h>

#include <vector>

#include "design/resulting_tickets.h"
#include "design/ticket_design.h"
#include "native_winapi/observe.h"
#include "plugin/ticket_digits.h"
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
    p.placements.push_back({tens, design::TensCellX, design::CellY});
  p.placements.push_back({units, design::UnitsCellX, design::CellY});
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
  for (const design::ResultingTicket &row : design::ResultingTickets) {
    EXPECT_TRUE(Place(row.ticket) == Ticket(row.tens, row.units))
        << "ticket argument " << row.ticket;
    const design::ResultingTicket ruled = design::ResultingTicketOf(row.ticket);
    EXPECT_TRUE(ruled.tens == row.tens && ruled.units == row.units)
        << "ticket argument " << row.ticket;
  }
}

// Every low half, with upper halves that never matter, against the rule the checker draws by.
TEST_F(TicketPlacementTest, EveryLowHalfWord) {
  SetHeapRecording(false);
  for (int32_t low = 0; low < 65536; ++low) {
    const design::ResultingTicket ruled = design::ResultingTicketOf(low);
    const Placed expected = Ticket(ruled.tens, ruled.units);
    ASSERT_TRUE(Place(low) == expected) << static_cast<int16_t>(low);
    ASSERT_TRUE(Place(low | 0x12340000) == expected) << low;
    ASSERT_TRUE(Place(low | static_cast<int32_t>(0xFFFF0000)) == expected) << low;
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
