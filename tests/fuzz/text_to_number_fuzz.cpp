// TextToNumber on arbitrary bytes. Beyond "no crash, no read past the text, nothing left in the
// store", each input is checked against what its leading number spells:
// - the reading stops at the first zero byte, and never gives NaN;
// - a decimal integer of at most 15 digits reads exactly, with the sign bit of its sign;
// - a longer decimal number reads within the rounding of its digits taken one at a time, and one
//   whose integer part has 310 or more significant digits reads as infinity;
// - "&O" and "&H" integers read exactly up to 53 bits, within rounding up to 64 bits, and are never
//   negative; any other byte after "&" gives +0.0;
// - with the working copy refused by the heap, the decimal form reads the same and the octal and
//   hexadecimal forms read +0.0.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/conversions/double_bits.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/text/text_bytes.h"
#include "text/text_to_number.h"

namespace {

bool IsDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

size_t DigitRun(const std::string &s, size_t at, int radix) {
  size_t end = at;
  for (; end < s.size(); ++end) {
    char c = s[end];
    int value = IsDecimalDigit(c)        ? c - '0'
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                         : 99;
    if (value >= radix)
      break;
  }
  return end;
}

size_t LeadingZeros(const std::string &digits) {
  size_t zeros = 0;
  while (zeros < digits.size() && digits[zeros] == '0')
    ++zeros;
  return zeros;
}

// True when got lies within digits × 2^-52 of expected, relative.
bool WithinRounding(double got, double expected, size_t digits) {
  return std::fabs(got - expected) <= std::fabs(expected) * std::ldexp(double(digits + 4), -52);
}

double Read(const std::string &bytes) {
  return TextToNumber(MakeText(bytes));
}

void CheckDecimalForm(const std::string &text, size_t at, double got) {
  bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+'))
    ++at;
  size_t integerEnd = DigitRun(text, at, 10);
  std::string integer = text.substr(at, integerEnd - at);
  std::string fraction;
  if (integerEnd < text.size() && text[integerEnd] == '.')
    fraction = text.substr(integerEnd + 1, DigitRun(text, integerEnd + 1, 10) - integerEnd - 1);

  FUZZ_CHECK(std::signbit(got) == negative, "sign of %g", got);
  size_t significant = integer.size() - LeadingZeros(integer);
  if (significant >= 310) {
    FUZZ_CHECK(std::isinf(got), "%zu integer digits read as %g", significant, got);
    return;
  }
  std::string number = (negative ? "-" : "") + integer + "." + fraction + "0";
  double expected = std::strtod(number.c_str(), nullptr);
  if (fraction.empty() && significant <= 15) {
    FUZZ_CHECK(BitsOf(got) == BitsOf(expected), "\"%s\" read as %.17g", number.c_str(), got);
  } else if (significant + fraction.size() <= 300 &&
             (expected == 0 || std::fabs(expected) >= 1e-280)) {
    FUZZ_CHECK(WithinRounding(got, expected, significant + 2 * fraction.size()),
               "\"%s\" read as %.17g", number.c_str(), got);
  }
}

void CheckRadixForm(const std::string &text, size_t at, double got) {
  FUZZ_CHECK(!std::signbit(got), "octal or hexadecimal read as %g", got);
  char form = at + 1 < text.size() ? text[at + 1] : '\0';
  int radix = (form == 'O' || form == 'o') ? 8 : (form == 'H' || form == 'h') ? 16 : 0;
  if (radix == 0) {
    FUZZ_CHECK(BitsOf(got) == 0, "\"&%c\" read as %g", form, got);
    return;
  }
  std::string digits = text.substr(at + 2, DigitRun(text, at + 2, radix) - at - 2);
  digits = digits.substr(LeadingZeros(digits));
  size_t bits = digits.size() * (radix == 8 ? 3 : 4);
  if (bits > 64)
    return;
  uint64_t value = digits.empty() ? 0 : std::strtoull(digits.c_str(), nullptr, radix);
  double expected = static_cast<double>(value);
  if (bits <= 53)
    FUZZ_CHECK(got == expected, "&%c%s read as %.17g", form, digits.c_str(), got);
  else
    FUZZ_CHECK(WithinRounding(got, expected, digits.size()), "&%c%s read as %.17g", form,
               digits.c_str(), got);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  StoreBaseline baseline = StartInput();
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  const std::string text = bytes.substr(0, bytes.find('\0'));

  double got = Read(bytes);
  FUZZ_CHECK(!std::isnan(got), "NaN");
  FUZZ_CHECK(BitsOf(Read(text)) == BitsOf(got), "a zero byte did not end the text");

  size_t at = text.find_first_not_of(" \t");
  bool radixForm = at != std::string::npos && text[at] == '&';
  if (radixForm)
    CheckRadixForm(text, at, got);
  else
    CheckDecimalForm(text, at == std::string::npos ? text.size() : at, got);

  // The same text with the next heap block refused: only the working copy of "&O"/"&H" needs one.
  Text refusedCopy = MakeText(bytes);
  uint32_t refusals = TextRefusals();
  FailHeapCallAfter(0);
  double withoutCopy = TextToNumber(refusedCopy);
  ClearHeapEvents();
  FUZZ_CHECK(BitsOf(withoutCopy) == (radixForm ? 0 : BitsOf(got)), "%g with the copy refused",
             withoutCopy);
  FUZZ_CHECK(TextRefusals() - refusals == (radixForm ? 1u : 0u), "refusals counted");

  EndInput(baseline);
  return 0;
}
