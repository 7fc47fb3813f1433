#include "report_rules.h"

#include <algorithm>
#include <cstdio>

#include "keyboard_protocol.h"

namespace sim {

namespace p = protocol;

namespace {

bool isFiller(std::uint8_t b) { return b >= p::kFillerMin && b <= p::kFillerMax; }

BootloaderVerdict refused(std::string what, std::optional<int> packet = std::nullopt) {
  BootloaderVerdict verdict;
  verdict.kind = BootloaderVerdict::Kind::Refused;
  verdict.packet = packet;
  verdict.violation = std::move(what);
  return verdict;
}

BootloaderVerdict judgeEndOfImage(const HidReport& report) {
  BootloaderVerdict verdict;
  if (report[p::kLengthByte] != p::kFullPacketLength ||
      !allZero(report, p::kPayloadStart, report.size())) {
    verdict.kind = BootloaderVerdict::Kind::Recorded;
    verdict.violation = "end report with a length byte or payload that is not the end report's";
    return verdict;
  }
  verdict.kind = BootloaderVerdict::Kind::EndOfImage;
  return verdict;
}

BootloaderVerdict judgeDataPacket(const HidReport& report, int index, int nextPacket) {
  const std::string name = "image packet " + std::to_string(index);
  const int expected = index == 0 ? 0 : nextPacket;
  if (index >= p::kPacketCount) return refused(name + " is beyond the image", index);
  if (index != expected)
    return refused(name + " out of order (expected " + std::to_string(expected) + ")", index);

  const bool last = index == p::kPacketCount - 1;
  const int payload = last ? p::kLastPacketPayload : p::kPayloadPerPacket;
  const std::uint8_t length = last ? p::kLastPacketLength : p::kFullPacketLength;
  if (report[p::kLengthByte] != length)
    return refused(name + " with length byte " + byteText(report[p::kLengthByte]), index);

  const std::size_t fillerAt = p::kPayloadStart + static_cast<std::size_t>(payload);
  const std::uint8_t first = report[fillerAt];
  const std::uint8_t second = report[fillerAt + 1];
  const bool clearPairing =
      index == 0 && first == p::kClearPairingFirst && second == p::kClearPairingSecond;
  if (!clearPairing && !(isFiller(first) && isFiller(second)))
    return refused(name + " with filler bytes " + byteText(first) + " " + byteText(second), index);
  if (!allZero(report, fillerAt + 2, report.size()))
    return refused(name + " with bytes after its fillers", index);

  BootloaderVerdict verdict;
  verdict.kind = BootloaderVerdict::Kind::DataPacket;
  verdict.packet = index;
  verdict.payloadLength = payload;
  verdict.firstFiller = first;
  verdict.secondFiller = second;
  verdict.clearPairing = clearPairing;
  return verdict;
}

}  // namespace

std::string byteText(std::uint8_t value) {
  char text[5];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

bool allZero(const HidReport& report, std::size_t from, std::size_t to) {
  return std::all_of(report.begin() + static_cast<std::ptrdiff_t>(from),
                     report.begin() + static_cast<std::ptrdiff_t>(to),
                     [](std::uint8_t b) { return b == 0; });
}

BootloaderVerdict JudgeBootloaderReport(const HidReport& report, int nextPacket) {
  const std::uint8_t command = report[p::kCommandByte];
  if (report[0] != p::kReportId)
    return refused("bootloader report with report ID " + byteText(report[0]));
  if (command != p::kImageData) return refused("bootloader report with command " + byteText(command));
  if (report[p::kStatusByte] != 0)
    return refused("image packet with byte 2 = " + byteText(report[p::kStatusByte]));
  const int index = (report[3] << 8) | report[4];
  if (index == p::kEndOfImageIndex) return judgeEndOfImage(report);
  return judgeDataPacket(report, index, nextPacket);
}

}  // namespace sim
