#pragma once

#include <cctype>
#include <string>

// A table case's description as a test name: every character that may not stand in one
// becomes '_'. Use with INSTANTIATE_TEST_SUITE_P as
// `[](const auto& info) { return caseName(info.param.name); }`.
inline std::string caseName(std::string description) {
  for (char& c : description)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return description;
}
