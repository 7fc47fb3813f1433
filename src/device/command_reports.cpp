#include "device/command_reports.h"

#include <algorithm>

#include "device/hid_commands.h"

HidReport BuildCommandReport(std::uint8_t command) {
  HidReport report{};
  report[0] = kReportId;
  report[kCommandByte] = command;
  return report;
}

HidReport BuildWriteSerialReport(const SerialBytes& serial) {
  HidReport report = BuildCommandReport(CMD_WRITE_SN);
  report[kLengthByte] = kSerialWriteLength;
  std::copy_n(serial.begin(), kSerialWriteLength, report.begin() + kPayloadByte);
  return report;
}

std::string AnswerText(const HidReport& answer) {
  const auto begin = answer.begin() + kPayloadByte;
  return std::string(begin, std::find(begin, answer.end(), 0));
}

SerialBytes SerialFromAnswer(const HidReport& answer) {
  SerialBytes serial{};
  std::copy(answer.begin() + kPayloadByte, answer.end(), serial.begin());
  return serial;
}

std::string SerialText(const SerialBytes& serial) {
  return std::string(serial.begin(), std::find(serial.begin(), serial.end(), 0));
}

bool SendReport(HidDevice* device, const HidReport& report) {
  return device && device->write(report);
}

ReadResult ReadAnswer(HidDevice* device, HidReport& answer, std::chrono::milliseconds timeout) {
  answer = {};
  if (!device) return ReadResult::Failed;
  return device->read(answer, timeout);
}
