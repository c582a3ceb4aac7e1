// UTF-16 text from the system as the UTF-8 the reports and logs are written in.
#pragma once

#include <windows.h>

#include <string>

inline std::string Utf8(const std::wstring &text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string utf8(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], n,
                        nullptr, nullptr);
  return utf8;
}
