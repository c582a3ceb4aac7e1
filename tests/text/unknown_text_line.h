// The debug line of a release the store does not know, for the tests that expect it.
#pragma once

#include <cstdio>
#include <string>

// "未知の文字列が解放されようとしました。\r\n" in code page 932, made by iconv from the UTF-8 text
// at build time rather than copied from the module.
inline const std::string &UnknownTextLine() {
  static const std::string line = [] {
    std::string bytes;
    if (FILE *f = std::fopen(UNKNOWN_TEXT_LINE_FILE, "rb")) {
      for (int c; (c = std::fgetc(f)) != EOF;)
        bytes.push_back(static_cast<char>(c));
      std::fclose(f);
    }
    return bytes;
  }();
  return line;
}
