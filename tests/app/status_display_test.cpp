// Which colour each label's text takes, and where the minimised window's icon goes.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "app/resource_ids.h"
#include "app/status_display.h"
#include "support/case_name.h"

namespace {

struct ColorCase {
  const char* name;
  int id;
  bool connected;
  bool lastOk;
  std::optional<TextColor> color;
};
void PrintTo(const ColorCase& c, std::ostream* os) { *os << c.name; }

class LabelColors : public testing::TestWithParam<ColorCase> {};

TEST_P(LabelColors, FollowTheirFlags) {
  const ColorCase& c = GetParam();
  EXPECT_EQ(LabelTextColor(c.id, c.connected, c.lastOk), c.color);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, LabelColors,
    testing::Values(
        ColorCase{"status disconnected", IDC_STATUS, false, true, kRedText},
        ColorCase{"status connected", IDC_STATUS, true, false, kGreenText},
        ColorCase{"result failed", IDC_RESULT, true, false, kRedText},
        ColorCase{"result ok", IDC_RESULT, false, true, kGreenText},
        ColorCase{"failure counter always red", IDC_FAIL_COUNT, true, true, kRedText},
        ColorCase{"success counter always green", IDC_SUCCESS_COUNT, false, false, kGreenText},
        ColorCase{"firmware label keeps its colour", IDC_FW_INFO, true, true, std::nullopt},
        ColorCase{"version label keeps its colour", IDC_FW_VERSION, false, false, std::nullopt},
        ColorCase{"edits keep theirs", IDC_VID, true, true, std::nullopt}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(Colors, AreTheDisplaysRedAndGreen) {
  EXPECT_EQ(kRedText, (TextColor{200, 0, 0}));
  EXPECT_EQ(kGreenText, (TextColor{0, 128, 0}));
}

TEST(MinimisedIcon, IsCentredRoundingTowardZero) {
  EXPECT_EQ(CentredIconOrigin(160, 28, 32, 32), (IconOrigin{64, -1}));   // (129/2, -3/2)
  EXPECT_EQ(CentredIconOrigin(161, 33, 32, 32), (IconOrigin{65, 1}));    // (130/2, 2/2)
  EXPECT_EQ(CentredIconOrigin(32, 32, 32, 32), (IconOrigin{0, 0}));      // (1/2, 1/2)
  EXPECT_EQ(CentredIconOrigin(0, 0, 32, 32), (IconOrigin{-15, -15}));    // (-31/2, -31/2)
  EXPECT_EQ(CentredIconOrigin(30, 29, 32, 32), (IconOrigin{0, -1}));     // (-1/2, -2/2)
}

}  // namespace
