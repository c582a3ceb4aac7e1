// Number to display text: at most 15 significant digits, in plain decimal notation without
// trailing zeros from 10^-4 up to just under 10^15, and otherwise in an exponent form with a
// fixed fifteen-digit mantissa ("1.23456789012346e+017", "1.50000000000000e-05").
#pragma once

#include <cstdint>

#include "text/text_store.h"

// Significant digits generated and shown.
constexpr int32_t DigitCount = 15;

// The digits of one conversion: up to DigitCount digit characters and a zero byte. Each call owns
// its own buffer, so conversions on different threads never share digits.
struct DigitBuffer {
  char Digits[DigitCount + 1];
};

// The exponent NumberToDigits reports for an infinite value, whose digits are then all "0".
constexpr int32_t InfiniteExponent = INT32_MAX;

// A new managed text that the caller owns. Infinities, which have no digits, give "inf" and
// "-inf"; NaN gives "0", as zero does. The number is taken from where it lies, never copied
// through the x87 unit before the conversion owns it: a subnormal number loaded there would raise
// the denormal-operand flag in the host's state.
Text NumberToText(const double &value);

// Fills buffer with count digit characters of value, the first 1 to 9 unless value is zero or
// NaN (then all "0", exponent 0, not negative), so that value = ± d1.d2d3... × 10^(exponent - 1).
// A count outside 1 to DigitCount is taken as the nearest end of that range. Returns the digits.
char *NumberToDigits(const double &value, int32_t count, int32_t *exponent, int32_t *negative,
                     DigitBuffer *buffer);

// Adds one to the digit value (0 to 9, not yet a character) at position and carries leftwards.
// Returns 1 when the carry ran past position 0, leaving every digit up to position at 0.
int32_t CarryDigit(char *digitValues, int32_t position);

// The largest integer not above value. Values beyond the 32-bit range give its nearest end, and
// NaN gives 0.
int32_t FloorToInt(double value);
