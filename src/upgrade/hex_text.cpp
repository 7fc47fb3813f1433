#include "upgrade/hex_text.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// What "%x" makes of a text of one character: a value for a hex digit, nothing otherwise
// (a sign or an 'x' alone is not a number).
std::optional<int> hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// Truncation toward zero into 32 bits. Sums here are never negative; above INT32_MAX they
// saturate, where a plain conversion would be undefined.
std::int32_t truncateToInt32(double value) {
  return value >= kMax ? kMax : static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t HexTextToNumber(std::string text) {
  const std::size_t n = text.size();
  std::int32_t value = 0;
  int digit = 0;  // kept across characters: a non-digit repeats the one before
  for (std::size_t i = 2; i < n; ++i) {
    if (const auto d = hexDigit(text[i])) digit = *d;
    // A zero adds nothing at any place; skipping it also avoids 0 * 16^300 = 0 * inf.
    if (digit == 0) continue;
    const std::size_t place = n - 1 - i;
    // 16^8 alone exceeds INT32_MAX, so a digit from that place up saturates.
    if (place >= 8) {
      value = kMax;
      continue;
    }
    value = truncateToInt32(value + std::ldexp(digit, static_cast<int>(4 * place)));
  }
  return value;
}
