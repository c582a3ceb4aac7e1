// The rule from a ticket number to the digit glyphs drawn and where: everything of the drawing
// that needs no drawing operation, so that it runs and is tested without Windows.
#pragma once

#include <cstdint>

#include "resources/ticket_sizes.h"
#include "text/text_store.h"

// One glyph of the digit image list drawn with its top-left corner at (X, Y).
struct DigitPlacement {
  int32_t Glyph;
  int32_t X;
  int32_t Y;
};

// Top-left corner of the tens cell; each cell is one glyph wide, the units cell right after it.
const int32_t DigitCellLeft = 121;
const int32_t DigitCellTop = 18;
const int32_t DigitCellWidth = GlyphWidth;

// The text of the ticket number in the low 16 bits of the sixth argument of DrawSeiriken, read
// as signed: its decimal form, or "0" for -1 and for numbers from 100 up.
Text TicketNumberText(int32_t ticketNumberArgument);

// Cuts the number text (which it owns and releases) to two characters and places the glyph of
// each: the tens cell is left out when its character is "0". Returns the count placed.
int32_t PlaceTicketDigits(Text text, int32_t left, int32_t top, DigitPlacement placements[2]);

// The whole rule for one ticket. When the heap refused any text the placements could rest on,
// nothing is placed: a ticket without figures is better than one with a wrong figure.
int32_t TicketPlacements(int32_t ticketNumberArgument, DigitPlacement placements[2]);
