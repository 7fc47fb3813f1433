#include "upgrade/transfer_reports.h"

#include <cstdio>
#include <cstdlib>

#include "device/command_reports.h"
#include "device/hid_commands.h"

namespace {

constexpr std::uint8_t kFillerRange = 200;

HidReport reportHeader(std::uint16_t index, std::uint8_t length) {
  HidReport report = BuildCommandReport(CMD_IMAGE_DATA);
  report[3] = static_cast<std::uint8_t>(index >> 8);
  report[4] = static_cast<std::uint8_t>(index & 0xFF);
  report[kLengthByte] = length;
  return report;
}

}  // namespace

Fillers DrawFillers() {
  const auto first = static_cast<std::uint8_t>(std::rand() % kFillerRange + 1);
  const auto second = static_cast<std::uint8_t>(std::rand() % kFillerRange + 1);
  return {first, second};
}

HidReport BuildDataReport(ImageView image, int index, Fillers fillers) {
  const bool last = index == kFullDataReports;
  const int payload = last ? kLastPayload : kPayloadPerReport;
  HidReport report = reportHeader(static_cast<std::uint16_t>(index),
                                  last ? kLastReportLength : kFullReportLength);
  const std::size_t offset = static_cast<std::size_t>(index) * kPayloadPerReport;
  for (int k = 0; k < payload; ++k)
    report[kPayloadByte + k] = static_cast<std::uint8_t>(~image[offset + k]);
  report[kPayloadByte + payload] = fillers.first;
  report[kPayloadByte + payload + 1] = fillers.second;
  return report;
}

HidReport BuildEndReport() { return reportHeader(kEndReportIndex, kFullReportLength); }

int JudgeAcknowledgement(const HidReport& acknowledgement) {
  switch (acknowledgement[kStatusByte]) {
    case 1: return 102;
    case 2: return 103;
    case 3: return 105;
    default: return 0;
  }
}

std::string TransferErrorMessage(int code) {
  // The end report's message has two blanks after the "!", as it always had.
  const char* format = code == kEndReportWriteFailed ? "Upgrade failed !  ErrorCode[%d]"
                                                     : "Upgrade failed ! ErrorCode[%d]";
  char text[48];
  std::snprintf(text, sizeof text, format, code);
  return text;
}
