// NumberToText on arbitrary 64-bit patterns, NaNs and infinities included. The first 8 bytes of
// an input are the double; a 9th byte, when present, also makes one of the conversion's heap
// blocks be refused. Each text is checked for:
// - at most 22 characters, no zero byte, exactly one new text in the store until it is released;
// - its shape: "0" for zero and NaN, "inf" and "-inf" for the infinities, otherwise the plain form
//   (at most 15 significant digits, no trailing zero after the point, no point last) or the
//   exponent form d.ddddddddddddddde+ddd / e-dd / e-ddd, each on its own side of the boundaries;
// - its value: "-" exactly for numbers below zero, the same digits for -v as for v, and the text
//   read back within 1e-14 relative (TextToNumber for the plain form, strtod for the exponent
//   form);
// - with a heap block refused, either the same text or the empty text, and the store intact.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "tests/text/text_bytes.h"
#include "text/number_to_text.h"
#include "text/text_to_number.h"

namespace {

// Fifteen digits hold a number to 5e-15 relative; the scaling by tens and the reading of the
// digits one at a time add a few roundings of 1.1e-16 each.
constexpr double ReadBackBound = 1e-14;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

size_t Digits(const std::string &s, size_t at) {
  size_t end = at;
  while (end < s.size() && IsDigit(s[end]))
    ++end;
  return end - at;
}

// The exponent form after its sign: d "." 14 digits "e", then "+" and three digits for an exponent
// of 15 or more, or "-" and two or three digits for one of -5 or less.
bool IsExponentForm(const std::string &s, size_t at) {
  if (s.size() < at + 18 || s[at] < '1' || s[at] > '9' || s[at + 1] != '.' ||
      Digits(s, at + 2) != 14 || s[at + 16] != 'e')
    return false;
  size_t exponentDigits = Digits(s, at + 18);
  if (at + 18 + exponentDigits != s.size())
    return false;
  int exponent = std::atoi(s.c_str() + at + 18);
  if (s[at + 17] == '+')
    return exponentDigits == 3 && exponent >= 15;
  return s[at + 17] == '-' && (exponentDigits == 2 || exponentDigits == 3) && exponent >= 5 &&
         (exponentDigits == 2) == (exponent <= 99);
}

// The plain form after its sign: "0" or digits without a leading zero, then optionally "." and
// digits that do not end in "0"; at most 15 significant digits.
bool IsFixedForm(const std::string &s, size_t at) {
  size_t integer = Digits(s, at);
  if (integer == 0 || (integer > 1 && s[at] == '0'))
    return false;
  size_t end = at + integer;
  if (end < s.size()) {
    size_t fraction = Digits(s, end + 1);
    if (s[end] != '.' || fraction == 0 || end + 1 + fraction != s.size() || s.back() == '0')
      return false;
  }
  size_t first = s.find_first_of("123456789", at);
  size_t significant = 0;
  for (size_t i = first == std::string::npos ? s.size() : first; i < s.size(); ++i)
    significant += IsDigit(s[i]);
  return significant <= 15;
}

std::string Show(double value) {
  int32_t before = TheTextStore.Count;
  Text t = NumberToText(value);
  int32_t length = TextLength(t);
  FUZZ_CHECK(length >= 0 && length <= 22 && t[length] == '\0', "length %d", length);
  // Every text has a character; only a refused result, the shared empty text, has none and is
  // not in the store.
  FUZZ_CHECK(TheTextStore.Count == before + (length > 0 ? 1 : 0), "texts: %d, before: %d",
             TheTextStore.Count, before);
  return Take(t);
}

void CheckText(double value, const std::string &text) {
  FUZZ_CHECK(text.find('\0') == std::string::npos, "zero byte in \"%s\"", text.c_str());
  if (std::isnan(value) || value == 0) {
    FUZZ_CHECK(text == "0", "%g gave \"%s\"", value, text.c_str());
    return;
  }
  if (std::isinf(value)) {
    FUZZ_CHECK(text == (value < 0 ? "-inf" : "inf"), "%g gave \"%s\"", value, text.c_str());
    return;
  }
  bool negative = value < 0;
  FUZZ_CHECK((text[0] == '-') == negative, "sign of %.17g in \"%s\"", value, text.c_str());
  size_t at = negative ? 1 : 0;
  bool fixed = IsFixedForm(text, at);
  FUZZ_CHECK(fixed || IsExponentForm(text, at), "%.17g gave \"%s\"", value, text.c_str());

  double magnitude = std::fabs(value);
  if (magnitude >= 1.00000000000001e15 || magnitude < 0.99999999999999e-4)
    FUZZ_CHECK(!fixed, "%.17g in plain form: \"%s\"", value, text.c_str());
  if (magnitude >= 1.0000000000001e-4 && magnitude <= 999999999999990.0)
    FUZZ_CHECK(fixed, "%.17g in exponent form: \"%s\"", value, text.c_str());

  // The exponent form is read in long double, whose range holds the text of the largest double
  // rounded up ("1.79769313486232e+308") and the digits of the smallest ones.
  long double back = fixed ? TextToNumber(MakeText(text)) : std::strtold(text.c_str(), nullptr);
  FUZZ_CHECK(std::fabs(back / value - 1) <= ReadBackBound, "%.17g gave \"%s\", read %.17Lg", value,
             text.c_str(), back);
  if (!negative)
    FUZZ_CHECK(Show(-value) == "-" + text, "-%.17g and %.17g differ", value, value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  StoreBaseline baseline = StartInput();
  uint64_t bits = 0;
  std::memcpy(&bits, data, size < 8 ? size : 8);
  double value;
  std::memcpy(&value, &bits, sizeof value);

  std::string text = Show(value);
  CheckText(value, text);

  if (size > 8) {
    // The conversion makes its texts through about ten heap calls; refusing any one of them
    // leaves either the whole text (a punctuation text refused) or the empty result.
    FailHeapCallAfter(data[8] % 16);
    std::string refused = Show(value);
    ClearHeapEvents();
    FUZZ_CHECK(refused == text || refused.empty(), "\"%s\" with a refusal, \"%s\" without",
               refused.c_str(), text.c_str());
  }
  EndInput(baseline);
  return 0;
}
