// The bytes of every report the transfer writes, and how an acknowledgement is judged.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "upgrade/image_bytes.h"
#include "upgrade/transfer_reports.h"

namespace {

// An image in which every byte differs from its neighbours, so a payload taken from the wrong
// offset shows.
const std::vector<std::uint8_t>& patternImage() {
  static const std::vector<std::uint8_t> image = [] {
    std::vector<std::uint8_t> bytes(kFirmwareImageSize);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<std::uint8_t>((i * 7 + (i >> 8) * 13 + (i >> 16)) & 0xFF);
    return bytes;
  }();
  return image;
}

struct IndexCase {
  int index;
  std::uint8_t high, low, length;
};

void PrintTo(const IndexCase& c, std::ostream* os) { *os << "packet " << c.index; }

class DataReportIndex : public ::testing::TestWithParam<IndexCase> {};

TEST_P(DataReportIndex, HeaderCarriesIndexBigEndianAndItsLength) {
  const IndexCase c = GetParam();
  const HidReport r = BuildDataReport(imageView(patternImage()), c.index, Fillers{7, 9});
  EXPECT_EQ(r[0], 0x01);
  EXPECT_EQ(r[1], 0x0C);
  EXPECT_EQ(r[2], 0x00);
  EXPECT_EQ(r[3], c.high);
  EXPECT_EQ(r[4], c.low);
  EXPECT_EQ(r[5], c.length);
}

INSTANTIATE_TEST_SUITE_P(Indices, DataReportIndex,
                         ::testing::Values(IndexCase{0, 0x00, 0x00, 0x32},
                                           IndexCase{255, 0x00, 0xFF, 0x32},
                                           IndexCase{256, 0x01, 0x00, 0x32},
                                           IndexCase{4095, 0x0F, 0xFF, 0x32},
                                           IndexCase{4096, 0x10, 0x00, 0x32},
                                           IndexCase{5460, 0x15, 0x54, 0x32},
                                           IndexCase{5461, 0x15, 0x55, 0x12}));

TEST(DataReport, FullPacketCarriesItsComplementedBytesThenFillersThenZeros) {
  const auto& image = patternImage();
  for (int index : {0, 1, 2730, 5460}) {
    const HidReport r = BuildDataReport(imageView(image), index, Fillers{0x11, 0xC8});
    for (int k = 0; k < 48; ++k)
      ASSERT_EQ(r[6 + k], static_cast<std::uint8_t>(~image[index * 48 + k])) << index << "/" << k;
    EXPECT_EQ(r[54], 0x11);
    EXPECT_EQ(r[55], 0xC8);
    EXPECT_TRUE(std::all_of(r.begin() + 56, r.end(), [](auto b) { return b == 0; }));
  }
}

TEST(DataReport, LastPacketCarriesTheFinalSixteenBytes) {
  const auto& image = patternImage();
  const HidReport r = BuildDataReport(imageView(image), 5461, Fillers{0x05, 0x06});
  for (int k = 0; k < 16; ++k) EXPECT_EQ(r[6 + k], static_cast<std::uint8_t>(~image[262128 + k]));
  EXPECT_EQ(r[22], 0x05);
  EXPECT_EQ(r[23], 0x06);
  EXPECT_TRUE(std::all_of(r.begin() + 24, r.end(), [](auto b) { return b == 0; }));
}

TEST(DataReport, ComplementOfKnownBytes) {
  std::vector<std::uint8_t> image(kFirmwareImageSize, 0);
  image[0] = 0x00;
  image[1] = 0xA5;
  image[2] = 0xFF;
  image[3] = 0x0F;
  const HidReport r = BuildDataReport(imageView(image), 0, kClearPairingFillers);
  EXPECT_EQ(r[6], 0xFF);
  EXPECT_EQ(r[7], 0x5A);
  EXPECT_EQ(r[8], 0x00);
  EXPECT_EQ(r[9], 0xF0);
  EXPECT_EQ(r[54], 0xFF);  // the clear-pairing marker
  EXPECT_EQ(r[55], 0x00);
}

TEST(DataReport, EveryImageByteIsSentExactlyOnce) {
  const auto& image = patternImage();
  std::vector<std::uint8_t> received;
  for (int index = 0; index < kDataReports; ++index) {
    const HidReport r = BuildDataReport(imageView(image), index, Fillers{1, 1});
    const int payload = r[5] - 2;
    for (int k = 0; k < payload; ++k) received.push_back(static_cast<std::uint8_t>(~r[6 + k]));
  }
  EXPECT_EQ(received, image);
}

TEST(EndReport, IsIndexFFFFWithLength32AndNothingElse) {
  HidReport expected{};
  expected[0] = 0x01;
  expected[1] = 0x0C;
  expected[3] = 0xFF;
  expected[4] = 0xFF;
  expected[5] = 0x32;
  EXPECT_EQ(BuildEndReport(), expected);
}

TEST(Fillers, StayWithinOneTo200AndFollowTheUnseededGenerator) {
  std::srand(1);  // the state of a generator nobody seeded
  std::vector<int> expected;
  for (int i = 0; i < 2000; ++i) expected.push_back(std::rand() % 200 + 1);
  std::srand(1);
  for (int i = 0; i < 1000; ++i) {
    const Fillers f = DrawFillers();
    ASSERT_EQ(f.first, expected[2 * i]) << i;  // the first filler is drawn first
    ASSERT_EQ(f.second, expected[2 * i + 1]) << i;
    ASSERT_GE(f.first, 1);
    ASSERT_LE(f.first, 200);
  }
}

struct AckCase {
  std::uint8_t status;
  int code;
};

void PrintTo(const AckCase& c, std::ostream* os) { *os << "status " << int(c.status); }

class Acknowledgement : public ::testing::TestWithParam<AckCase> {};

TEST_P(Acknowledgement, OnlyTheStatusByteDecides) {
  HidReport ack{};
  ack[2] = GetParam().status;
  EXPECT_EQ(JudgeAcknowledgement(ack), GetParam().code);
  ack[0] = 0x55;  // other bytes change nothing
  ack[1] = 0x99;
  ack[63] = 0x01;
  EXPECT_EQ(JudgeAcknowledgement(ack), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Statuses, Acknowledgement,
                         ::testing::Values(AckCase{0, 0}, AckCase{1, 102}, AckCase{2, 103},
                                           AckCase{3, 105}, AckCase{4, 0}, AckCase{0xFF, 0}));

TEST(TransferErrorMessage, ExactTexts) {
  EXPECT_EQ(TransferErrorMessage(100), "Upgrade failed ! ErrorCode[100]");
  EXPECT_EQ(TransferErrorMessage(101), "Upgrade failed ! ErrorCode[101]");
  EXPECT_EQ(TransferErrorMessage(102), "Upgrade failed ! ErrorCode[102]");
  EXPECT_EQ(TransferErrorMessage(103), "Upgrade failed ! ErrorCode[103]");
  EXPECT_EQ(TransferErrorMessage(104), "Upgrade failed !  ErrorCode[104]");
  EXPECT_EQ(TransferErrorMessage(105), "Upgrade failed ! ErrorCode[105]");
}

}  // namespace
