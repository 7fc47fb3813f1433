// The image the build embedded. Its shape is checked for any image; its texts only when the
// sample is the one built in (FERROWIND_SAMPLE_BUILT_IN, set by tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "upgrade/firmware_image.h"
#include "upgrade/image_identity.h"

namespace {

std::uint32_t wordAt(std::span<const std::uint8_t, kFirmwareImageSize> image, std::size_t at) {
  return image[at] | image[at + 1] << 8 | image[at + 2] << 16 |
         static_cast<std::uint32_t>(image[at + 3]) << 24;
}

std::string textAt(std::span<const std::uint8_t, kFirmwareImageSize> image, std::size_t at,
                   std::size_t length) {
  const auto block = image.subspan(at, length);
  return std::string(block.begin(), std::find(block.begin(), block.end(), std::uint8_t{0}));
}

TEST(BuiltInImage, HoldsExactlyTheBytesOfTheImageFile) {
  const auto image = FirmwareImage();
  ASSERT_EQ(image.size(), 262144u);
  std::ifstream file(FERROWIND_FIRMWARE_PATH, std::ios::binary);
  ASSERT_TRUE(file) << FERROWIND_FIRMWARE_PATH;
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
  ASSERT_EQ(bytes.size(), image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin(),
                         [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

TEST(BuiltInImage, StartsWithAPlausibleVectorTable) {
  const auto image = FirmwareImage();
  const std::uint32_t stack = wordAt(image, 0), reset = wordAt(image, 4);
  EXPECT_GT(stack, 0x20000000u) << "initial stack pointer in SRAM";
  EXPECT_LE(stack, 0x20100000u) << "initial stack pointer in SRAM";
  EXPECT_EQ(stack % 4, 0u);
  EXPECT_EQ(reset & 1u, 1u) << "reset vector into Thumb code";
  EXPECT_LT(reset, kFirmwareImageSize) << "reset vector inside the flash";
}

TEST(BuiltInImage, IsTheSampleWithItsIdentityBlock) {
  if (!FERROWIND_SAMPLE_BUILT_IN) GTEST_SKIP() << "another image than the sample is built in";
  const auto image = FirmwareImage();
  EXPECT_EQ(textAt(image, kBuildTimeOffset, kBuildTimeLength), "09:30:00");
  EXPECT_EQ(textAt(image, kBuildDateOffset, kBuildDateLength), "Dec 11 2026");
  EXPECT_EQ(ImageIdentityText(image), "M484,01,KB,JV,KEYBOARD_RGB,0102");
  EXPECT_EQ(ImageIdentity(image), (DeviceIdentity{"M484", "01", "KB", "JV", "KEYBOARD_RGB"}));
}

TEST(BuiltInImage, SampleHandlersAreThumbLoops) {
  if (!FERROWIND_SAMPLE_BUILT_IN) GTEST_SKIP() << "another image than the sample is built in";
  const auto image = FirmwareImage();
  const std::uint32_t nmi = wordAt(image, 8) & ~1u;  // any exception but reset
  ASSERT_LT(nmi + 1, kFirmwareImageSize);
  EXPECT_EQ(image[nmi] | image[nmi + 1] << 8, 0xE7FE) << "b .";
}

}  // namespace
