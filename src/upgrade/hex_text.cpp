#include "upgrade/hex_text.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

// What "%x" makes of a text of one character: a value for a hex digit, nothing otherwise.
std::optional<int> hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// Truncation toward zero of a double into 32 bits; out of range saturates instead of being
// undefined.
std::int32_t truncateToInt32(double value) {
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  if (value >= kMax) return std::numeric_limits<std::int32_t>::max();
  if (value <= kMin) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t HexTextToNumber(std::string text) {
  const int n = static_cast<int>(text.size());
  std::int32_t value = 0;
  int digit = 0;  // kept across characters: a non-digit repeats the one before
  for (int i = 2; i < n; ++i) {
    if (const auto d = hexDigit(text[static_cast<std::size_t>(i)])) digit = *d;
    value = truncateToInt32(value + digit * std::pow(16.0, n - 1 - i));
  }
  return value;
}
