#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "device/hid_device.h"
#include "upgrade/image_layout.h"

// The image travels as numbered data reports, 48 image bytes each (the last one 16), every
// byte complemented, each answered by an acknowledgement; an end report closes the transfer.
// These numbers are fixed by the bootloader, not derived from the image size.
inline constexpr int kPayloadPerReport = 48;
inline constexpr int kFullDataReports = 5461;
inline constexpr int kLastPayload = 16;
inline constexpr int kDataReports = kFullDataReports + 1;
inline constexpr std::uint8_t kFullReportLength = 0x32;  // payload + two filler bytes
inline constexpr std::uint8_t kLastReportLength = 0x12;
inline constexpr std::uint16_t kEndReportIndex = 0xFFFF;
static_assert(kFullDataReports * kPayloadPerReport + kLastPayload == kFirmwareImageSize);

using ImageView = std::span<const std::uint8_t, kFirmwareImageSize>;

// The two filler bytes after a data report's payload.
struct Fillers {
  std::uint8_t first;
  std::uint8_t second;
  friend bool operator==(const Fillers&, const Fillers&) = default;
};

// Packet 0's fillers when the pairing information is to be cleared.
inline constexpr Fillers kClearPairingFillers{0xFF, 0x00};

// Two values from 1 to 200 from the C library's generator, the first drawn first. The
// generator is never seeded: the sequence is the same at every run.
Fillers DrawFillers();

// Data report `index` (0 to kDataReports - 1) carrying its part of `image`.
HidReport BuildDataReport(ImageView image, int index, Fillers fillers);

// The report that closes a transfer: index 0xFFFF, length 0x32, nothing else.
HidReport BuildEndReport();

// 0 when the acknowledgement lets the transfer go on, otherwise the error code it ends with
// (102, 103 or 105). Only the status byte counts.
int JudgeAcknowledgement(const HidReport& acknowledgement);

// The transfer's error codes: 100 a data report could not be written, 101 no acknowledgement
// could be read, 102/103/105 the device refused a packet, 104 the end report could not be
// written.
inline constexpr int kWriteFailed = 100;
inline constexpr int kReadFailed = 101;
inline constexpr int kEndReportWriteFailed = 104;
// Before any transfer: the keyboard refused to restart in its bootloader (status 3).
inline constexpr int kBootRefused = 106;
inline constexpr std::uint8_t kBootRefusedStatus = 3;

// The message the operator sees for a transfer error code.
std::string TransferErrorMessage(int code);
