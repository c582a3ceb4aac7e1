// The table of resulting tickets that the rule, the product in the emulator and the product under
// Wine are each checked against: a ticket-number argument, the glyph drawn in the tens cell (-1
// when the cell is left to the face) and the glyph drawn in the units cell. Only the argument's
// low 16 bits count, read as a signed number: -1 and numbers from 100 up show "0", and a
// negative number shows its "-" in the tens cell as the glyph 0.
#pragma once

#include <cstdint>

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
