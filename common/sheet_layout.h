// The sheet of tickets 0 to 99 the previews show: ten rows of ten, each ticket with a gap around
// it, on a grey ground. The Windows preview and the workbench lay their sheets out alike.
#pragma once

#include <cstdint>

constexpr int SheetColumns = 10;
constexpr int SheetTickets = 100;
constexpr int SheetGap = 4;
constexpr uint32_t SheetBackground = 0xFF808080;

constexpr int SheetWidth(int ticketWidth) {
  return SheetGap + SheetColumns * (ticketWidth + SheetGap);
}
constexpr int SheetHeight(int ticketHeight) {
  return SheetGap + SheetTickets / SheetColumns * (ticketHeight + SheetGap);
}
// Where ticket `number` starts on the sheet.
constexpr int SheetLeft(int number, int ticketWidth) {
  return SheetGap + number % SheetColumns * (ticketWidth + SheetGap);
}
constexpr int SheetTop(int number, int ticketHeight) {
  return SheetGap + number / SheetColumns * (ticketHeight + SheetGap);
}
