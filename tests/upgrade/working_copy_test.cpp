#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <ostream>

#include "upgrade/firmware_image.h"
#include "upgrade/image_bytes.h"
#include "upgrade/working_copy.h"

namespace {

struct ByteCase {
  std::uint8_t value;
};

// "0xA5" in test names (ctest shows the printed parameter there).
void PrintTo(const ByteCase& c, std::ostream* out) {
  *out << "0x" << std::hex << std::uppercase << std::setw(2) << std::setfill('0') << int{c.value};
}

class WorkingCopyOfOneValue : public ::testing::TestWithParam<ByteCase> {};

TEST_P(WorkingCopyOfOneValue, ComesOutUnchanged) {
  const std::uint8_t byte = GetParam().value;
  const ImageBytes image(kFirmwareImageSize, byte);
  ImageBytes copy(kFirmwareImageSize, static_cast<std::uint8_t>(~byte));
  RefreshWorkingCopy(imageView(image), imageView(copy));
  EXPECT_EQ(copy, image);
}

INSTANTIATE_TEST_SUITE_P(Bytes, WorkingCopyOfOneValue,
                         ::testing::Values(ByteCase{0x00}, ByteCase{0x0F}, ByteCase{0xA5},
                                           ByteCase{0xFF}));

TEST(WorkingCopy, CopiesAnImageOfEveryByteValueByteForByte) {
  ImageBytes image(kFirmwareImageSize);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
  ImageBytes copy(kFirmwareImageSize, 0x5A);
  RefreshWorkingCopy(imageView(image), imageView(copy));
  EXPECT_EQ(copy, image);
}

TEST(WorkingCopy, CopiesTheBuiltInImageByteForByte) {
  const auto image = FirmwareImage();
  ImageBytes copy(kFirmwareImageSize, 0);
  RefreshWorkingCopy(image, imageView(copy));
  EXPECT_TRUE(std::equal(copy.begin(), copy.end(), image.begin(), image.end()));
}

}  // namespace
