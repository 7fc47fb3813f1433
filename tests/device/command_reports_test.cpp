// The application's command reports and the texts of its answers.
#include <gtest/gtest.h>

#include <string>

#include "device/command_reports.h"
#include "device/hid_commands.h"

namespace {

HidReport answerWithText(const std::string& text) {
  HidReport answer{};
  answer[0] = 0x01;
  answer[1] = CMD_READ_SN;
  for (std::size_t i = 0; i < text.size() && 6 + i < answer.size(); ++i)
    answer[6 + i] = static_cast<std::uint8_t>(text[i]);
  return answer;
}

TEST(CommandReports, ACommandIsItsReportIdAndCodeAndZeros) {
  for (std::uint8_t command : {CMD_HANDSHAKE, CMD_ENTER_BOOT, CMD_SOFTWARE_DATA, CMD_READ_SN}) {
    HidReport expected{};
    expected[0] = 0x01;
    expected[1] = command;
    EXPECT_EQ(BuildCommandReport(command), expected) << int(command);
  }
}

TEST(CommandReports, SerialWriteCarriesThirtyTwoBytesAndItsLength) {
  // 40 characters: only the first 32 go back to the keyboard.
  const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
  const SerialBytes serial = SerialFromAnswer(answerWithText(text));
  const HidReport report = BuildWriteSerialReport(serial);

  EXPECT_EQ(report[0], 0x01);
  EXPECT_EQ(report[1], CMD_WRITE_SN);
  EXPECT_EQ(report[2] | report[3] | report[4], 0);
  EXPECT_EQ(report[5], 32);
  EXPECT_EQ(std::string(report.begin() + 6, report.begin() + 38), text.substr(0, 32));
  for (std::size_t i = 38; i < report.size(); ++i) EXPECT_EQ(report[i], 0) << i;
}

TEST(CommandReports, SerialIsTheAnswersFiftyEightBytesThenSixZeros) {
  std::string full(58, 'S');  // no terminating zero in the answer
  const SerialBytes serial = SerialFromAnswer(answerWithText(full));
  for (std::size_t i = 0; i < 58; ++i) EXPECT_EQ(serial[i], 'S') << i;
  for (std::size_t i = 58; i < 64; ++i) EXPECT_EQ(serial[i], 0) << i;
  EXPECT_EQ(SerialText(serial), full);

  EXPECT_EQ(SerialText(SerialFromAnswer(answerWithText("FWK2020010700042"))), "FWK2020010700042");
  EXPECT_EQ(SerialText(SerialFromAnswer(answerWithText(""))), "");
}

TEST(CommandReports, AnswerTextEndsAtTheFirstZeroOrTheReport) {
  EXPECT_EQ(AnswerText(answerWithText("M484,01,KB")), "M484,01,KB");
  EXPECT_EQ(AnswerText(answerWithText(std::string(70, 'x'))), std::string(58, 'x'));
  HidReport split = answerWithText("AB");
  split[9] = 'C';  // after the zero at byte 8: not part of the text
  EXPECT_EQ(AnswerText(split), "AB");
}

TEST(CommandReports, NoDeviceMeansAFailedWriteAndRead) {
  EXPECT_FALSE(SendReport(nullptr, BuildCommandReport(CMD_HANDSHAKE)));
  HidReport answer;
  answer.fill(0xAA);
  EXPECT_EQ(ReadAnswer(nullptr, answer, std::chrono::milliseconds(1)), ReadResult::Failed);
  EXPECT_EQ(answer, HidReport{});  // cleared before the read, as every answer buffer is
}

}  // namespace
