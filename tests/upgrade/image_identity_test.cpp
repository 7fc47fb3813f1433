#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "upgrade/image_bytes.h"
#include "upgrade/image_identity.h"

namespace {

// An image of filler bytes with an identity block: each text followed by zero bytes.
ImageBytes imageWithBlock(const std::string& time, const std::string& date,
                          const std::string& identity) {
  ImageBytes image(kFirmwareImageSize, 0xEE);
  std::fill(image.begin() + kBuildTimeOffset,
            image.begin() + kIdentityTextOffset + kIdentityTextLength, 0);
  std::copy(time.begin(), time.end(), image.begin() + kBuildTimeOffset);
  std::copy(date.begin(), date.end(), image.begin() + kBuildDateOffset);
  std::copy_n(identity.begin(), std::min(identity.size(), kIdentityTextLength),
              image.begin() + kIdentityTextOffset);
  return image;
}

const std::string kSampleIdentity = "M484,01,KB,JV,KEYBOARD_RGB,0102";

TEST(ImageIdentity, SplitsTheIdentityTextIntoFiveFields) {
  const auto image = imageWithBlock("09:30:00", "Dec 11 2026", kSampleIdentity);
  EXPECT_EQ(ImageIdentityText(imageView(image)), kSampleIdentity);
  EXPECT_EQ(ImageIdentity(imageView(image)),
            (DeviceIdentity{"M484", "01", "KB", "JV", "KEYBOARD_RGB"}));
}

TEST(ImageIdentity, BuildTimeAndDateChangeNothing) {
  const auto a = imageWithBlock("19:00:16", "Jan  7 2020", kSampleIdentity);
  const auto b = imageWithBlock("23:59:59", "Dec 31 2030", kSampleIdentity);
  EXPECT_EQ(ImageIdentityText(imageView(a)), ImageIdentityText(imageView(b)));
  EXPECT_EQ(ImageIdentity(imageView(a)), ImageIdentity(imageView(b)));
}

TEST(ImageIdentity, TextEndsAtTheFirstZeroByte) {
  auto image = imageWithBlock("09:30:00", "Dec 11 2026", "M484,01,KB");
  // Whatever follows the zero byte inside the block is not part of the text.
  const std::string after = "X,Y,Z,";
  std::copy(after.begin(), after.end(), image.begin() + kIdentityTextOffset + 11);
  EXPECT_EQ(ImageIdentityText(imageView(image)), "M484,01,KB");
  EXPECT_EQ(ImageIdentity(imageView(image)), (DeviceIdentity{"M484", "01", "", "", ""}));
}

TEST(ImageIdentity, ABlockWithoutZeroByteGivesAllFiftyCharacters) {
  const std::string fifty = "A,B,C,D,E," + std::string(40, 'Q');
  const std::string longer = fifty + "more";  // only the block's 50 bytes are written
  const auto image = imageWithBlock("09:30:00", "Dec 11 2026", longer);
  EXPECT_EQ(ImageIdentityText(imageView(image)), fifty);
  EXPECT_EQ(ImageIdentity(imageView(image)), (DeviceIdentity{"A", "B", "C", "D", "E"}));
}

}  // namespace
