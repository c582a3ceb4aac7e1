#include "text/text_ops.h"

namespace {

// Copies count bytes of source into the text r from offset at, never past r's own length: a
// refused allocation leaves r the shared empty text, which must stay unwritten.
void CopyInto(Text r, int32_t at, const char *source, int32_t count) {
  int32_t room = TextLength(r) - at;
  if (count > room)
    count = room;
  if (count > 0)
    RtlMoveMemory(r + at, source, static_cast<SIZE_T>(count));
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : (value > high ? high : value);
}

} // namespace

Text CopyText(Text t) {
  Text r = AllocText(TextLength(t));
  CopyInto(r, 0, t, TextLength(t));
  return r;
}

Text TextFromChars(const char *s) {
  int32_t n = s ? lstrlenA(s) : 0;
  Text r = AllocText(n);
  CopyInto(r, 0, s, n);
  return r;
}

Text CharText(int32_t code) {
  char byte = static_cast<char>(code & 0xFF);
  Text r = AllocText(1);
  CopyInto(r, 0, &byte, 1);
  return r;
}

int32_t TextCode(Text t) {
  int32_t code = static_cast<unsigned char>(t[0]);
  ReleaseText(t);
  return code;
}

Text ConcatText(Text left, Text right) {
  int32_t nl = TextLength(left);
  int32_t nr = TextLength(right);
  Text r = AllocText(nl + nr);
  CopyInto(r, 0, left, nl);
  CopyInto(r, nl, right, nr);
  ReleaseText(left);
  ReleaseText(right);
  return r;
}

// A count beyond the text takes the whole text and a negative one none, so no byte outside the
// operand is ever read.
Text LeftText(Text t, int32_t n) {
  n = Clamp(n, 0, TextLength(t));
  Text r = AllocText(n);
  CopyInto(r, 0, t, n);
  ReleaseText(t);
  return r;
}

// A negative count gives the empty text, as a start outside the text does.
Text MidText(Text t, int32_t start, int32_t count) {
  int32_t length = TextLength(t);
  Text r;
  if (start < 1 || start > length || count < 0) {
    r = AllocText(0);
  } else {
    int32_t from = start - 1;
    int32_t rest = length - from;
    if (count == 0 || count > rest)
      count = rest;
    r = AllocText(count);
    CopyInto(r, 0, t + from, count);
  }
  ReleaseText(t);
  return r;
}

int32_t CompareText(Text left, Text right) {
  int32_t result =
      CompareStringA(LOCALE_SYSTEM_DEFAULT, 0, left, TextLength(left), right, TextLength(right));
  ReleaseText(left);
  ReleaseText(right);
  return result;
}
