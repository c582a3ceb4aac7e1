// Operations on managed texts. Operands listed as consumed are released by the operation, in the
// order given; a caller that still needs a text passes CopyText of it.
#pragma once

#include <cstdint>

#include "text/text_store.h"

Text CopyText(Text t);                  // consumes nothing
Text TextFromChars(const char *s);      // bytes of a zero-terminated text up to its terminator
Text CharText(int32_t code);            // one byte: the low 8 bits of code
int32_t TextCode(Text t);               // first byte 0..255; consumes t
Text ConcatText(Text left, Text right); // consumes left, then right
Text LeftText(Text t, int32_t n);       // consumes t
Text MidText(Text t, int32_t start, int32_t count); // consumes t; start is 1-based
int32_t CompareText(Text left, Text right);         // consumes left, then right
