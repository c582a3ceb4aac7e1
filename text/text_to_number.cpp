#include "text/text_to_number.h"

#include "text/float_unit.h"
#include "text/text_ops.h"

// Every digit is weighed on its own and the products are added one at a time, each sum rounded
// to a double, least significant digit first in the integer part. That is the defined reading,
// even where it is not the double nearest to the decimal text ("0.12" reads as 0x3FBEB851EB851EB9).
//
// Long digit runs: a hexadecimal or octal run of any length reads as the unsigned integer it
// spells, with the weight kept as a double. Every power of the radix is exact as a double, so up
// to 15 hexadecimal or 21 octal digits this is the same arithmetic as a 64-bit integer weight;
// beyond them a 64-bit weight would wrap and make "&H8000000000000000" negative and
// "&H10000000000000000" zero, losing the number. A zero digit adds nothing: once a weight passes
// the double range (10^309, 16^256, 8^342) it is infinite and 0 × ∞ would turn the whole number
// into NaN, so leading zeros never change a value, and a number beyond the range reads as
// infinity, the double arithmetic's own answer for an overflow.

namespace {

bool IsDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

// The value of c as a digit of the radix (8 or 16, upper-case letters), or -1.
int32_t RadixDigit(char c, int32_t radix) {
  int32_t value = -1;
  if (IsDecimalDigit(c))
    value = c - '0';
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < radix ? value : -1;
}

// The octal or hexadecimal form, from the "&": read from an upper-cased working copy.
double ReadRadixForm(const char *from) {
  Text copy = AllocText(lstrlenA(from));
  int32_t length = TextLength(copy); // 0 when the heap refused the copy
  if (length > 0)
    RtlMoveMemory(copy, from, static_cast<SIZE_T>(length));
  CharUpperA(copy);

  int32_t radix = 0;
  if (length >= 2 && copy[1] == 'O')
    radix = 8;
  else if (length >= 2 && copy[1] == 'H')
    radix = 16;
  double total = 0.0;
  if (radix != 0) {
    int32_t end = 2;
    while (end < length && RadixDigit(copy[end], radix) >= 0)
      ++end;
    double weight = 1.0;
    for (int32_t i = end - 1; i >= 2; --i) {
      int32_t d = RadixDigit(copy[i], radix);
      if (d != 0)
        total = total + static_cast<double>(d) * weight;
      weight = InDoubleRange(weight * static_cast<double>(radix));
    }
  }
  ReleaseText(copy);
  return total;
}

// The decimal form: a sign, integer digits, then "." and fraction digits.
double ReadDecimalForm(const char *at) {
  bool negative = false;
  if (*at == '-') {
    negative = true;
    ++at;
  } else if (*at == '+') {
    ++at;
  }
  int32_t n = 0;
  while (IsDecimalDigit(at[n]))
    ++n;

  double total = 0.0;
  double weight = 1.0;
  for (int32_t i = n - 1; i >= 0; --i) {
    int32_t d = at[i] - '0';
    if (d != 0)
      total = total + static_cast<double>(d) * weight;
    weight = InDoubleRange(weight * 10.0);
  }
  if (at[n] == '.') {
    weight = 10.0;
    for (const char *f = at + n + 1; IsDecimalDigit(*f); ++f) {
      total = total + DigitOverWeight(static_cast<double>(*f - '0'), weight);
      weight = InDoubleRange(weight * 10.0);
    }
  }
  // Also for a zero total: "-" and "-0" read as negative zero.
  if (negative)
    total = total * -1.0;
  return total;
}

// The number at the start of the text, blanks passed over; the caller owns the floating-point
// unit while this runs.
__attribute__((noinline)) double ReadNumber(const char *at) {
  while (*at == ' ' || *at == '\t')
    ++at;
  return InDoubleRange(*at == '&' ? ReadRadixForm(at) : ReadDecimalForm(at));
}

} // namespace

double TextToNumber(Text text) {
  HostFloatState host = TakeFloatUnit();
  HeldResult total = ReadNumber(text);
  GiveBackFloatUnit(host);
  ReleaseText(text);
  return ReturnHeld(total);
}
