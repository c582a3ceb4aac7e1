// Text to number: reads a decimal number (optional sign, integer digits, optional fraction) or
// an octal ("&O") or hexadecimal ("&H") integer from the start of a managed text.
#pragma once

#include "text/text_store.h"

// Takes over the text and releases it. Never fails: a text that does not begin with a number
// gives +0.0 (-0.0 after a lone "-"), and whatever follows the number is ignored.
double TextToNumber(Text text);
