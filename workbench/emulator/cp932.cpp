#include "workbench/emulator/cp932.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>

std::string Cp932ToUtf8(const std::string &text) {
  bool ascii = true;
  for (unsigned char c : text)
    ascii = ascii && c < 0x80;
  if (ascii)
    return text; // the common case in call logs, without opening a converter
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return text;
  std::string out;
  char *in = const_cast<char *>(text.data());
  size_t inLeft = text.size();
  char buffer[256];
  while (inLeft > 0) {
    char *o = buffer;
    size_t oLeft = sizeof buffer;
    size_t done = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buffer, static_cast<size_t>(o - buffer));
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      out += "\xEF\xBF\xBD"; // U+FFFD for the byte that does not convert
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

std::string QuoteText(const std::string &text) {
  std::string utf8 = Cp932ToUtf8(text), quoted = "\"";
  for (unsigned char c : utf8) {
    if (c == '\r')
      quoted += "\\r";
    else if (c == '\n')
      quoted += "\\n";
    else if (c == '\t')
      quoted += "\\t";
    else if (c == '"' || c == '\\')
      quoted += std::string("\\") + static_cast<char>(c);
    else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      quoted += escape;
    } else
      quoted += static_cast<char>(c);
  }
  return quoted + "\"";
}
