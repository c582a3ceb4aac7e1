#include <cstdarg>

#include "native_winapi/format_model.h"
#include "native_winapi/windows_standin.h"

namespace {

// The output so far; characters past the limit are dropped, leaving room for the terminator.
struct FormatOutput {
  char *At;
  int Count;
};

void Put(FormatOutput &output, char c) {
  if (output.Count < FormatOutputLimit - 1)
    output.At[output.Count++] = c;
}

void PutRepeated(FormatOutput &output, char c, int times) {
  for (; times > 0; --times)
    Put(output, c);
}

// Writes value's digits in the radix at the end of the 10-byte field and returns where they
// start (ten places hold any 32-bit value in decimal).
const char *UnsignedDigits(uint32_t value, uint32_t radix, bool upperCase, char (&field)[10]) {
  const char *symbols = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  char *start = field + sizeof field;
  do {
    *--start = symbols[value % radix];
    value /= radix;
  } while (value != 0);
  return start;
}

struct Conversion {
  bool LeftJustify;
  bool ZeroFill;
  int Width;
};

// Reads the flags and the width after a "%"; the width is capped, since no output is longer.
const char *ParseConversion(const char *at, Conversion &conversion) {
  conversion = {false, false, 0};
  for (;; ++at) {
    if (*at == '-')
      conversion.LeftJustify = true;
    else if (*at == '0')
      conversion.ZeroFill = true;
    else
      break;
  }
  for (; *at >= '0' && *at <= '9'; ++at)
    if (conversion.Width < FormatOutputLimit)
      conversion.Width = conversion.Width * 10 + (*at - '0');
  return at;
}

// Writes a sign (possibly empty) and a body of length characters padded to the width.
void PutField(FormatOutput &output, const Conversion &conversion, bool numeric, const char *sign,
              const char *body, int length) {
  int signLength = *sign ? 1 : 0;
  int padding = conversion.Width - signLength - length;
  bool zeroFill = numeric && conversion.ZeroFill && !conversion.LeftJustify;
  if (!conversion.LeftJustify && !zeroFill)
    PutRepeated(output, ' ', padding);
  if (signLength)
    Put(output, *sign);
  if (zeroFill)
    PutRepeated(output, '0', padding);
  for (int i = 0; i < length; ++i)
    Put(output, body[i]);
  if (conversion.LeftJustify)
    PutRepeated(output, ' ', padding);
}

int StringLength(const char *text) {
  int length = 0;
  while (text[length] && length < FormatOutputLimit)
    ++length;
  return length;
}

struct VaArguments {
  va_list List;
};

uint32_t NextVaArgument(void *context) {
  return va_arg(static_cast<VaArguments *>(context)->List, uint32_t);
}

const char *NextVaString(void *context) {
  return va_arg(static_cast<VaArguments *>(context)->List, const char *);
}

} // namespace

int FormatModel(char *out, const char *format, uint32_t (*nextArgument)(void *context),
                void *context, const char *(*nextString)(void *context)) {
  FormatOutput output{out, 0};
  const char *at = format;
  while (*at) {
    if (*at != '%') {
      Put(output, *at++);
      continue;
    }
    Conversion conversion;
    at = ParseConversion(at + 1, conversion);
    char type = *at;
    if (!type)
      break;
    ++at;
    char field[10];
    const char *body = field;
    int length = 1;
    const char *sign = "";
    bool numeric = true;
    switch (type) {
    case 'd':
    case 'i': {
      uint32_t value = nextArgument(context);
      bool negative = (value & 0x80000000u) != 0;
      if (negative)
        sign = "-";
      body = UnsignedDigits(negative ? 0u - value : value, 10, false, field);
      length = static_cast<int>(field + sizeof field - body);
      break;
    }
    case 'u':
    case 'x':
    case 'X':
      body = UnsignedDigits(nextArgument(context), type == 'u' ? 10 : 16, type == 'X', field);
      length = static_cast<int>(field + sizeof field - body);
      break;
    case 'c':
      field[0] = static_cast<char>(nextArgument(context));
      numeric = false;
      break;
    case 's':
      body = nextString ? nextString(context) : (nextArgument(context), nullptr);
      if (!body)
        body = "(null)";
      length = StringLength(body);
      numeric = false;
      break;
    default: // "%%" and any character that is no conversion
      Put(output, type);
      continue;
    }
    PutField(output, conversion, numeric, sign, body, length);
  }
  out[output.Count] = '\0';
  return output.Count;
}

int wsprintfA(LPSTR out, LPCSTR format, ...) {
  VaArguments arguments;
  va_start(arguments.List, format);
  int count = FormatModel(out, format, NextVaArgument, &arguments, NextVaString);
  va_end(arguments.List);
  return count;
}
