#pragma once

#include <cstdint>
#include <string>

// The value of a text "0x" followed by hexadecimal digits. The first two characters are
// skipped unread. A character that is not a hex digit counts as the digit before it (0 when
// none stands before it). Fewer than three characters give 0. A value beyond a signed 32-bit
// integer (more than seven digits after the first two, say) saturates at INT32_MAX.
std::int32_t HexTextToNumber(std::string text);
