// The built-in image, its working copy and its identity.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "device/device_identity.h"
#include "upgrade/firmware_image.h"
#include "upgrade/hex_text.h"
#include "upgrade/image_identity.h"
#include "upgrade/working_copy.h"

namespace {

struct HexCase {
  std::string text;
  std::int32_t value;
};

class HexText : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexText, Converts) { EXPECT_EQ(HexTextToNumber(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Texts, HexText,
    ::testing::Values(HexCase{"0x3F", 63}, HexCase{"0x3f", 63}, HexCase{"0x", 0},
                      HexCase{"0xZ5", 5},    // no digit before the Z: it counts 0
                      HexCase{"0x5Z", 85},   // the Z repeats the 5
                      HexCase{"xy1F", 31},   // the first two characters are never looked at
                      HexCase{"0x00FF", 255}, HexCase{"0x00", 0}, HexCase{"0x0F", 15},
                      HexCase{"0xA5", 165}, HexCase{"0xFF", 255}, HexCase{"0x7FFFFFF", 0x7FFFFFF},
                      HexCase{"", 0}, HexCase{"0", 0},
                      HexCase{"0xFFFFFFFFFF", 0x7FFFFFFF}),  // beyond 32 bits: saturates
    [](const auto& info) { return "case" + std::to_string(info.index); });

using Image = std::vector<std::uint8_t>;

std::span<const std::uint8_t, kFirmwareImageSize> view(const Image& image) {
  return std::span<const std::uint8_t, kFirmwareImageSize>(image.data(), kFirmwareImageSize);
}

TEST(WorkingCopy, IsAByteForByteCopyOfEveryValue) {
  Image image(kFirmwareImageSize);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
  Image copy(kFirmwareImageSize, 0x5A);
  RefreshWorkingCopy(view(image), std::span<std::uint8_t, kFirmwareImageSize>(copy.data(), kFirmwareImageSize));
  EXPECT_EQ(copy, image);
}

TEST(WorkingCopy, OfTheBuiltInImage) {
  const auto image = FirmwareImage();
  Image copy(kFirmwareImageSize, 0);
  RefreshWorkingCopy(image, std::span<std::uint8_t, kFirmwareImageSize>(copy.data(), kFirmwareImageSize));
  EXPECT_TRUE(std::equal(copy.begin(), copy.end(), image.begin()));
}

struct SplitCase {
  std::string text;
  DeviceIdentity fields;
};

class IdentitySplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(IdentitySplit, TakesOnlyFieldsClosedByAComma) {
  DeviceIdentity fields;
  AssignCommaClosedFields(GetParam().text, fields);
  EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IdentitySplit,
    ::testing::Values(SplitCase{"A,B,C,D,E,F", {"A", "B", "C", "D", "E"}},
                      SplitCase{"A,B,C,D,E", {"A", "B", "C", "D", ""}},
                      SplitCase{"A,,C,D,E,F", {"A", "", "C", "D", "E"}},
                      SplitCase{",B,C,D,E,F", {"", "B", "C", "D", "E"}},
                      SplitCase{"A,B,C,D,E,F,G", {"A", "B", "C", "D", "E"}},
                      SplitCase{"ABCDEF", {"", "", "", "", ""}},
                      SplitCase{" m484 ,01,kb,JV,X", {" m484 ", "01", "kb", "JV", ""}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(IdentitySplit, FieldsNoCommaReachesKeepTheirValues) {
  DeviceIdentity fields{"old1", "old2", "old3", "old4", "old5"};
  AssignCommaClosedFields("new1,new2,rest", fields);
  EXPECT_EQ(fields, (DeviceIdentity{"new1", "new2", "old3", "old4", "old5"}));
}

Image imageWithBlock(const std::string& time, const std::string& date, const std::string& identity) {
  Image image(kFirmwareImageSize, 0xEE);
  std::fill(image.begin() + kBuildTimeOffset, image.begin() + kIdentityTextOffset + kIdentityTextLength, 0);
  std::memcpy(&image[kBuildTimeOffset], time.data(), time.size());
  std::memcpy(&image[kBuildDateOffset], date.data(), date.size());
  std::memcpy(&image[kIdentityTextOffset], identity.data(), std::min(identity.size(), kIdentityTextLength));
  return image;
}

TEST(ImageIdentity, ReadsTheTextUpToItsZeroByte) {
  const Image a = imageWithBlock("19:00:16", "Jan  7 2020", "M484,01,KB,JV,KEYBOARD_RGB,0102");
  const Image b = imageWithBlock("23:59:59", "Dec 31 2030", "M484,01,KB,JV,KEYBOARD_RGB,0102");
  EXPECT_EQ(ImageIdentityText(view(a)), "M484,01,KB,JV,KEYBOARD_RGB,0102");
  // The build time and date travel with the image and change nothing here.
  EXPECT_EQ(ImageIdentity(view(a)), ImageIdentity(view(b)));
  EXPECT_EQ(ImageIdentity(view(a)), (DeviceIdentity{"M484", "01", "KB", "JV", "KEYBOARD_RGB"}));
}

TEST(ImageIdentity, FewerFieldsLeaveEmptyOnesAndAFullBlockIsTakenWhole) {
  EXPECT_EQ(ImageIdentity(view(imageWithBlock("00:00:00", "Jan  1 2000", "M484,01,KB"))),
            (DeviceIdentity{"M484", "01", "", "", ""}));
  const std::string fifty(50, 'Q');
  EXPECT_EQ(ImageIdentityText(view(imageWithBlock("00:00:00", "Jan  1 2000", fifty))), fifty);
}

TEST(BuiltInImage, IsTheSampleWithAVectorTableAndItsIdentity) {
  const auto image = FirmwareImage();
  ASSERT_EQ(image.size(), 262144u);
  const auto word = [&](std::size_t at) {
    return image[at] | image[at + 1] << 8 | image[at + 2] << 16 | static_cast<std::uint32_t>(image[at + 3]) << 24;
  };
  EXPECT_EQ(word(0) & 0xFFF00000u, 0x20000000u);  // initial stack pointer in SRAM
  EXPECT_EQ(word(4) & 1u, 1u);                    // reset vector into Thumb code
  EXPECT_LT(word(4), kFirmwareImageSize);
  EXPECT_EQ(ImageIdentityText(image), "M484,01,KB,JV,KEYBOARD_RGB,0102");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[kBuildDateOffset])), "Dec 11 2026");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[kBuildTimeOffset])), "09:30:00");
}

}  // namespace
