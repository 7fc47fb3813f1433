// Every byte of the image reaches the working copy through its "0xHH" text and
// HexTextToNumber, so a byte's text must give the byte back; any other text must give what the
// rule in hex_text.h says, and never more than a signed 32-bit number holds.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "check.h"
#include "upgrade/hex_text.h"

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();

std::optional<int> digitValue(char c) {
  constexpr std::string_view kLower = "0123456789abcdef", kUpper = "0123456789ABCDEF";
  if (const auto at = kLower.find(c); at != std::string_view::npos) return static_cast<int>(at);
  if (const auto at = kUpper.find(c); at != std::string_view::npos) return static_cast<int>(at);
  return std::nullopt;
}

// The rule of hex_text.h, in whole numbers: a non-digit repeats the digit before it, and any
// digit that is not zero at the ninth place or above saturates.
std::int32_t expectedValue(std::string_view text) {
  std::int64_t value = 0;
  int digit = 0;
  for (std::size_t i = 2; i < text.size(); ++i) {
    digit = digitValue(text[i]).value_or(digit);
    const std::size_t place = text.size() - 1 - i;
    if (digit == 0) continue;
    if (place >= 8) return static_cast<std::int32_t>(kMax);
    value += static_cast<std::int64_t>(digit) << (4 * place);
  }
  return static_cast<std::int32_t>(std::min(value, kMax));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(fuzz::textOf(data, size));
  const std::int32_t value = HexTextToNumber(text);
  FUZZ_CHECK(value >= 0);
  FUZZ_CHECK(value == expectedValue(text));
  if (text.size() < 3) FUZZ_CHECK(value == 0);

  if (text.size() >= 2) {
    // The first two characters are never read.
    std::string otherPrefix = text;
    otherPrefix[0] = static_cast<char>(~otherPrefix[0]);
    otherPrefix[1] = 'x';
    FUZZ_CHECK(HexTextToNumber(otherPrefix) == value);
    // One more zero digit is one more place.
    FUZZ_CHECK(HexTextToNumber(text + "0") == std::min<std::int64_t>(std::int64_t{value} * 16, kMax));
  }

  // The working copy's own texts: each byte as "0x%02X", and in lower case too.
  for (std::size_t i = 0; i < size && i < 16; ++i) {
    char upper[8], lower[8];
    std::snprintf(upper, sizeof upper, "0x%02X", data[i]);
    std::snprintf(lower, sizeof lower, "0x%02x", data[i]);
    FUZZ_CHECK(HexTextToNumber(upper) == data[i]);
    FUZZ_CHECK(HexTextToNumber(lower) == data[i]);
  }
  return 0;
}
