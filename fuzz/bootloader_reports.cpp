// The simulated bootloader judges every report it is sent, and the tests trust it to refuse
// what a real one would. Two things are checked: what it takes from any 64 bytes is exactly a
// well-formed packet, and every report the program's own transfer builds is taken.
//
// Input: two bytes of the packet the bootloader expects next, then the report's 64 bytes.
#include <algorithm>
#include <array>
#include <vector>

#include "check.h"
#include "sim/report_rules.h"
#include "upgrade/transfer_reports.h"

namespace {

using Kind = sim::BootloaderVerdict::Kind;

constexpr int kPackets = 5462;

int indexOf(const HidReport& report) { return report[3] << 8 | report[4]; }

bool zeroFrom(const HidReport& report, std::size_t from) {
  return std::all_of(report.begin() + static_cast<std::ptrdiff_t>(from), report.end(),
                     [](std::uint8_t b) { return b == 0; });
}

bool isFiller(std::uint8_t b) { return b >= 1 && b <= 200; }

void checkAnyReport(const HidReport& report, int nextPacket) {
  const sim::BootloaderVerdict verdict = sim::JudgeBootloaderReport(report, nextPacket);
  const bool taken = verdict.kind == Kind::DataPacket || verdict.kind == Kind::EndOfImage;
  FUZZ_CHECK(taken == verdict.violation.empty());
  if (report[0] != 0x01) FUZZ_CHECK(verdict.kind == Kind::Refused && !verdict.packet);
  if (report[1] != 0x0C || report[2] != 0) FUZZ_CHECK(verdict.kind == Kind::Refused);
  // Only the end report goes unanswered, and only it ends the image.
  if (verdict.kind == Kind::Recorded || verdict.kind == Kind::EndOfImage)
    FUZZ_CHECK(indexOf(report) == 0xFFFF && !verdict.packet);
  if (verdict.kind == Kind::EndOfImage) FUZZ_CHECK(report[5] == 0x32 && zeroFrom(report, 6));
  if (verdict.packet) FUZZ_CHECK(*verdict.packet == indexOf(report) && report[0] == 0x01);

  // Packet 0 is welcome whatever came before it.
  if (indexOf(report) == 0)
    FUZZ_CHECK(verdict.kind == sim::JudgeBootloaderReport(report, nextPacket ^ 0x5A5A).kind);

  if (verdict.kind != Kind::DataPacket) return;
  const int index = indexOf(report);
  FUZZ_CHECK(verdict.packet == index);
  FUZZ_CHECK(index < kPackets && (index == 0 || index == nextPacket));
  const bool last = index == kPackets - 1;
  FUZZ_CHECK(verdict.payloadLength == (last ? 16 : 48));
  FUZZ_CHECK(report[5] == (last ? 0x12 : 0x32));
  const std::size_t fillerAt = 6 + static_cast<std::size_t>(verdict.payloadLength);
  FUZZ_CHECK(verdict.firstFiller == report[fillerAt] && verdict.secondFiller == report[fillerAt + 1]);
  if (verdict.clearPairing)
    FUZZ_CHECK(index == 0 && verdict.firstFiller == 0xFF && verdict.secondFiller == 0x00);
  else
    FUZZ_CHECK(isFiller(verdict.firstFiller) && isFiller(verdict.secondFiller));
  FUZZ_CHECK(zeroFrom(report, fillerAt + 2));
}

// The program's transfer, for the packet and payload the input names.
void checkProgramReports(const HidReport& bytes, int nextPacket) {
  static std::vector<std::uint8_t> image(kFirmwareImageSize);
  const int index = nextPacket % kDataReports;
  const std::size_t offset = static_cast<std::size_t>(index) * kPayloadPerReport;
  const int payload = index == kFullDataReports ? kLastPayload : kPayloadPerReport;
  std::copy_n(bytes.begin() + 6, payload, image.begin() + static_cast<std::ptrdiff_t>(offset));

  Fillers fillers{static_cast<std::uint8_t>(bytes[1] % 200 + 1),
                  static_cast<std::uint8_t>(bytes[2] % 200 + 1)};
  const bool clearPairing = index == 0 && bytes[0] & 1;
  if (clearPairing) fillers = kClearPairingFillers;

  const ImageView view(image.data(), kFirmwareImageSize);
  const HidReport report = BuildDataReport(view, index, fillers);
  const sim::BootloaderVerdict verdict = sim::JudgeBootloaderReport(report, index);
  FUZZ_CHECK(verdict.kind == Kind::DataPacket);
  FUZZ_CHECK(verdict.packet == index && verdict.payloadLength == payload);
  FUZZ_CHECK(verdict.firstFiller == fillers.first && verdict.secondFiller == fillers.second);
  FUZZ_CHECK(verdict.clearPairing == clearPairing);
  // What the keyboard writes to its flash is the image.
  for (int k = 0; k < payload; ++k)
    FUZZ_CHECK(static_cast<std::uint8_t>(~report[6 + static_cast<std::size_t>(k)]) ==
               image[offset + static_cast<std::size_t>(k)]);

  // Out of turn, it is refused; filler bytes out of range are refused too.
  if (index != 0)
    FUZZ_CHECK(sim::JudgeBootloaderReport(report, index - 1).kind == Kind::Refused);
  const Fillers outOfRange{static_cast<std::uint8_t>(bytes[3] % 2 ? 0 : 201 + bytes[3] % 55),
                           static_cast<std::uint8_t>(bytes[2] % 200 + 1)};
  FUZZ_CHECK(sim::JudgeBootloaderReport(BuildDataReport(view, index, outOfRange), index).kind ==
             Kind::Refused);

  FUZZ_CHECK(sim::JudgeBootloaderReport(BuildEndReport(), nextPacket).kind == Kind::EndOfImage);
  const Fillers drawn = DrawFillers();
  FUZZ_CHECK(isFiller(drawn.first) && isFiller(drawn.second));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, 2 + 64> input{};
  std::copy_n(data, std::min(size, input.size()), input.begin());
  const int nextPacket = input[0] << 8 | input[1];
  HidReport report;
  std::copy_n(input.begin() + 2, report.size(), report.begin());

  checkAnyReport(report, nextPacket);
  checkProgramReports(report, nextPacket);
  return 0;
}
