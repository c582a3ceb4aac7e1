#include "plugin/ticket_digits.h"

#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

Text TicketNumberText(int32_t ticketNumberArgument) {
  int16_t number = static_cast<int16_t>(ticketNumberArgument & 0xFFFF);
  if (number == -1 || number >= 100)
    return TextFromChars("0");
  return NumberToText(static_cast<double>(number));
}

int32_t PlaceTicketDigits(Text text, int32_t left, int32_t top, DigitPlacement placements[2]) {
  // Exactly two characters: "0" before a single one, else the first two.
  if (TextLength(text) == 1)
    text = ConcatText(TextFromChars("0"), text);
  else
    text = LeftText(text, 2);

  int32_t placed = 0;
  for (int32_t position = 1; position <= 2; ++position) {
    // The tens cell stays empty for the character "0", compared as a character, not a value:
    // "-" is drawn there, as the glyph 0.
    if (position == 1 &&
        CompareText(MidText(CopyText(text), 1, 1), TextFromChars("0")) == CSTR_EQUAL)
      continue;
    double value = TextToNumber(MidText(CopyText(text), position, 1));
    placements[placed].Glyph = static_cast<int32_t>(value); // truncation toward zero
    placements[placed].X = left + (position - 1) * DigitCellWidth;
    placements[placed].Y = top;
    ++placed;
  }
  ReleaseText(text);
  return placed;
}

int32_t TicketPlacements(int32_t ticketNumberArgument, DigitPlacement placements[2]) {
  uint32_t refusals = TextRefusals();
  Text numberText = TicketNumberText(ticketNumberArgument);
  int32_t placed = PlaceTicketDigits(CopyText(numberText), DigitCellLeft, DigitCellTop, placements);
  ReleaseText(numberText);
  return TextRefusals() == refusals ? placed : 0;
}
