#pragma once

#include <algorithm>
#include <string_view>

// Texts from devices and keys are compared as ASCII, whatever the locale: only A-Z fold.
inline char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whole-text comparison that ignores the case of ASCII letters only.
inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}
