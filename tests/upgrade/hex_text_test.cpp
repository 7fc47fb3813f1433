#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <ostream>
#include <string>

#include "upgrade/hex_text.h"

namespace {

struct HexCase {
  const char* name;
  std::string text;
  std::int32_t value;
};

// Names the case in test names (ctest shows the printed parameter there).
void PrintTo(const HexCase& c, std::ostream* out) { *out << c.name; }

class HexText : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexText, Converts) { EXPECT_EQ(HexTextToNumber(GetParam().text), GetParam().value); }

const std::string kZeros300(300, '0');

INSTANTIATE_TEST_SUITE_P(
    Texts, HexText,
    ::testing::Values(
        HexCase{"UpperCase", "0x3F", 63}, HexCase{"LowerCase", "0x3f", 63},
        HexCase{"PrefixOnly", "0x", 0},
        HexCase{"LeadingNonDigitCountsZero", "0xZ5", 5},
        HexCase{"NonDigitRepeatsTheDigitBefore", "0x5Z", 85},
        HexCase{"PrefixIsNeverRead", "xy1F", 31},
        HexCase{"LeadingZeros", "0x00FF", 255},
        HexCase{"Byte00", "0x00", 0}, HexCase{"Byte0F", "0x0F", 15},
        HexCase{"ByteA5", "0xA5", 165}, HexCase{"ByteFF", "0xFF", 255},
        HexCase{"Empty", "", 0}, HexCase{"OneCharacter", "0", 0},
        HexCase{"SignIsNotADigit", "0x-5", 5}, HexCase{"SignRepeatsTheDigitBefore", "0x5+", 85},
        HexCase{"SpaceIsNotADigit", "0x 7", 7},
        HexCase{"LargestValue", "0x7FFFFFFF", INT32_MAX},
        // Beyond 32 bits the value saturates instead of being undefined.
        HexCase{"JustBeyond32Bits", "0x80000000", INT32_MAX},
        HexCase{"TenDigits", "0xFFFFFFFFFF", INT32_MAX},
        HexCase{"DigitFarOnTheLeft", "0x1" + kZeros300, INT32_MAX},
        HexCase{"ZerosFarOnTheLeft", "0x" + kZeros300 + "1F", 31},
        HexCase{"NonDigitsFarOnTheLeft", "0x" + std::string(300, 'Z') + "A", 10}));

// The digit test agrees with the standard "%x" conversion of a one-character text.
TEST(HexText, EveryCharacterCountsAsScanfReadsIt) {
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    unsigned scanned = 0;
    const bool isDigit = std::sscanf(one.c_str(), "%x", &scanned) == 1;
    EXPECT_EQ(HexTextToNumber("0x" + one), isDigit ? static_cast<std::int32_t>(scanned) : 0)
        << "character " << c;
  }
}

}  // namespace
