// Texts of the guest are code page 932 bytes; people read UTF-8.
#pragma once

#include <string>

// The UTF-8 form of a code page 932 text; bytes that do not convert become U+FFFD.
std::string Cp932ToUtf8(const std::string &text);

// The text in double quotes for logs: UTF-8, with CR, LF, tab, quote, backslash and other
// control bytes escaped.
std::string QuoteText(const std::string &text);
