#include <gtest/gtest.h>

#include "app/dialog_units.h"

namespace {

struct MulDivCase {
  int a, b, c, expected;
};

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
  const MulDivCase cases[] = {
      {288, 6, 4, 432}, {1, 6, 4, 2},    // 1.5 rounds up
      {1, 5, 4, 1},                      // 1.25 rounds down
      {13, 13, 8, 21},                   // 21.125
      {3, 13, 8, 5},                     // 4.875
      {-1, 6, 4, -2},                    // -1.5 rounds away from zero
      {0, 7, 4, 0},
      {2000000, 2000, 4, 1000000000},    // no overflow in the product
  };
  for (const auto& c : cases)
    EXPECT_EQ(mulDivRound(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(DialogUnits, BaseUnitsAverageTheSampleRoundingHalvesUp) {
  // 52 letters: the width per letter pair, plus one, halved.
  EXPECT_EQ(baseUnitsFromFont(312, 13).x, 6);  // exactly 6.0 per letter
  EXPECT_EQ(baseUnitsFromFont(338, 13).x, 7);  // 6.5 rounds up
  EXPECT_EQ(baseUnitsFromFont(337, 13).x, 6);  // 6.48 rounds down
  EXPECT_EQ(baseUnitsFromFont(312, 15).y, 15);
}

TEST(DialogUnits, RectScalesByQuarterWidthAndEighthHeight) {
  const DialogBaseUnits tahomaLike{6, 13};
  EXPECT_EQ(dialogRectToPixels(0, 0, 288, 144, tahomaLike), (PixelRect{0, 0, 432, 234}));
  EXPECT_EQ(dialogRectToPixels(209, 48, 64, 19, tahomaLike), (PixelRect{314, 78, 96, 31}));
  const DialogBaseUnits wide{7, 15};
  EXPECT_EQ(dialogRectToPixels(16, 26, 257, 14, wide), (PixelRect{28, 49, 450, 26}));
}

}  // namespace
