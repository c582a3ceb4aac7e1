// The design's tickets: which glyph goes in which cell for a ticket-number argument. The table of
// resulting tickets and the rule it follows are what the checker, the product in the emulator
// and the rule's own tests all judge a drawing by. A glyph of -1 leaves the tens cell to the
// face. Only the argument's low 16 bits count, read as a signed number: -1 and numbers from 100
// up show "0", and a negative number shows its "-" in the tens cell as the glyph 0, then the
// first digit of its magnitude.
#pragma once

#include <cstdint>

namespace design {

struct ResultingTicket {
  int32_t ticket;
  int tens, units;
};

const ResultingTicket ResultingTickets[] = {
    {0, -1, 0},     {7, -1, 7},     {10, 1, 0},     {42, 4, 2},         {99, 9, 9},
    {100, -1, 0},   {12345, -1, 0}, {32767, -1, 0}, {-1, -1, 0},        {-2, 0, 2},
    {-5, 0, 5},     {-9, 0, 9},     {-10, 0, 1},    {-99, 0, 9},        {-32768, 0, 3},
    {65541, -1, 5}, {65535, -1, 0}, {32768, 0, 3},  {0x7FFF0038, 5, 6},
};

// The cells of any ticket-number argument, by the rule the table follows.
inline ResultingTicket ResultingTicketOf(int32_t ticket) {
  int n = static_cast<int16_t>(ticket & 0xFFFF);
  if (n == -1 || n >= 100)
    return {ticket, -1, 0};
  if (n >= 10)
    return {ticket, n / 10, n % 10};
  if (n >= 0)
    return {ticket, -1, n};
  int magnitude = -n;
  while (magnitude >= 10)
    magnitude /= 10;
  return {ticket, 0, magnitude};
}

} // namespace design
