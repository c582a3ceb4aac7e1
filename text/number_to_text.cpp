#include "text/number_to_text.h"

#include "text/float_unit.h"
#include "text/text_ops.h"

namespace {

// The value is multiplied by 10 while below the lower bound and then divided by 10 while at or
// above the upper bound. Both bounds lie just below 1 and 10: a value a few units in the last
// place short of a power of ten then scales to 0.99..., whose digits (0 and fourteen nines) the
// rounding carries into exactly 1 at the first place, so the carry never runs past the first digit.
constexpr double LowerBound = 0.999999999999999;
constexpr double UpperBound = 9.99999999999999;
static_assert(LowerBound == 0x1.ffffffffffff7p-1, "lower bound is 0x3FEFFFFFFFFFFFF7");
static_assert(UpperBound == 0x1.3fffffffffffap+3, "upper bound is 0x4023FFFFFFFFFFFA");
constexpr double LargestFinite = 0x1.fffffffffffffp+1023;

// A remainder at or above this after the last digit adds one to the last digit.
constexpr double RoundingThreshold = 5.0;

// The plain notation is used for exponents in this range, the exponent form outside it.
constexpr int32_t FixedFormLowest = -3;
constexpr int32_t FixedFormHighest = 15;

// Room for the longest text, 22 characters (sign, digit, point, 14 digits, "e", sign and three
// exponent digits), and its zero byte.
constexpr int32_t WorkBufferSize = 36;

// One punctuation character of the text, taken through a one-character managed text. Should the
// heap refuse that text, its code reads as 0; the literal itself is written then, so that a
// refusal never cuts the number text short at that place.
char PunctuationCharacter(const char *literal) {
  int32_t code = TextCode(TextFromChars(literal));
  return code != 0 ? static_cast<char>(code) : literal[0];
}

// The exponent form: d1, ".", d2 to d15 and "e", then the exponent E - 1 with its sign.
void WriteExponentForm(char *work, int32_t at, const char *digits, int32_t exponent) {
  work[at++] = digits[0];
  work[at++] = PunctuationCharacter(".");
  for (int32_t i = 1; i < DigitCount; ++i)
    work[at++] = digits[i];
  work[at++] = PunctuationCharacter("e");
  // "+%03d" shows at least three digits; "%03d" counts the sign in its width of three.
  wsprintfA(work + at, exponent > FixedFormHighest ? "+%03d" : "%03d", exponent - 1);
}

// The plain notation: the integer digits (or "0" and the zeros after the point), the point and
// the remaining digits, less trailing zeros and a point left last.
void WriteFixedForm(char *work, int32_t at, const char *digits, int32_t exponent) {
  int32_t next = 0;
  if (exponent >= 1) {
    for (; next < exponent; ++next)
      work[at++] = digits[next];
    work[at++] = PunctuationCharacter(".");
  } else {
    work[at++] = '0';
    work[at++] = PunctuationCharacter(".");
    for (int32_t zeros = -exponent; zeros > 0; --zeros)
      work[at++] = '0';
  }
  for (; next < DigitCount; ++next)
    work[at++] = digits[next];
  while (work[at - 1] == '0')
    --at;
  if (work[at - 1] == '.')
    --at;
  work[at] = '\0';
}

} // namespace

int32_t FloorToInt(double value) {
  if (value != value)
    return 0;
  if (value >= 2147483647.0)
    return INT32_MAX;
  if (value <= -2147483648.0)
    return INT32_MIN;
  int32_t truncated = static_cast<int32_t>(value);
  if (value < static_cast<double>(truncated))
    truncated = truncated - 1;
  return truncated;
}

int32_t CarryDigit(char *digitValues, int32_t position) {
  for (; position >= 0; --position) {
    if (digitValues[position] != 9) {
      digitValues[position] = static_cast<char>(digitValues[position] + 1);
      return 0;
    }
    digitValues[position] = 0;
  }
  return 1;
}

namespace {

// The digit values (0 to 9) of value and its exponent, in double arithmetic; the caller owns the
// floating-point unit while this runs. Every comparison is made here too: with denormals-are-zero
// set, the host's unit would take the smallest numbers for zero.
__attribute__((noinline)) int32_t ExtractDigits(double value, int32_t count, char *digits,
                                                int32_t *negative) {
  // Zero, negative zero and NaN: one comparison with zero decides (equal or unordered).
  bool zeroOrNaN = !(value < 0.0 || value > 0.0);
  if (value < 0.0) {
    *negative = 1;
    value = value * -1.0;
  }
  // Scaling an infinity never ends; it has no digits and its own exponent.
  if (zeroOrNaN || value > LargestFinite) {
    for (int32_t i = 0; i < count; ++i)
      digits[i] = 0;
    return zeroOrNaN ? 0 : InfiniteExponent;
  }
  int32_t e = 1;
  while (value < LowerBound) {
    value = value * 10.0;
    e = e - 1;
  }
  while (value >= UpperBound) {
    value = value / 10.0;
    e = e + 1;
  }
  // Each digit comes off the value in double arithmetic, every step rounded on its own.
  for (int32_t i = 0; i < count; ++i) {
    int32_t d = FloorToInt(value);
    digits[i] = static_cast<char>(d);
    value = (value - static_cast<double>(d)) * 10.0;
  }
  // With fifteen digits the carry always stops at the first digit; with fewer it can run past it,
  // and the digits then stand for the next power of ten.
  if (value >= RoundingThreshold && CarryDigit(digits, count - 1)) {
    digits[0] = 1;
    e = e + 1;
  }
  return e;
}

} // namespace

char *NumberToDigits(const double &value, int32_t count, int32_t *exponent, int32_t *negative,
                     DigitBuffer *buffer) {
  count = count < 1 ? 1 : (count > DigitCount ? DigitCount : count);
  char *digits = buffer->Digits;
  *negative = 0;
  HostFloatState host = TakeFloatUnit();
  *exponent = ExtractDigits(value, count, digits, negative);
  GiveBackFloatUnit(host);
  for (int32_t i = 0; i < count; ++i)
    digits[i] = static_cast<char>(digits[i] + '0');
  digits[count] = '\0';
  return digits;
}

Text NumberToText(const double &value) {
  Text result = AllocText(0);
  DigitBuffer buffer;
  int32_t exponent;
  int32_t negative;
  const char *digits = NumberToDigits(value, DigitCount, &exponent, &negative, &buffer);

  char work[WorkBufferSize];
  int32_t at = 0;
  if (negative)
    work[at++] = PunctuationCharacter("-");
  if (exponent == InfiniteExponent) {
    for (const char *c = "inf"; *c; ++c)
      work[at++] = *c;
    work[at] = '\0';
  } else if (exponent > FixedFormHighest || exponent < FixedFormLowest) {
    WriteExponentForm(work, at, digits, exponent);
  } else {
    WriteFixedForm(work, at, digits, exponent);
  }

  Text text = TextFromChars(work);
  ReleaseText(result);
  return text;
}
