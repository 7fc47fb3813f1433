#pragma once

#include <cstddef>
#include <cstdint>

// The keyboard's side of the wire, written down from the keyboard's point of view and kept
// apart from the program's own definitions on purpose: the simulated keyboard checks what the
// program sends against these, so a wrong constant in the program cannot hide behind a
// shared one.
namespace sim::protocol {

inline constexpr std::uint16_t kVendorId = 0x0416;
inline constexpr std::uint16_t kBootloaderProductId = 0x3F01;

inline constexpr std::uint8_t kReportId = 0x01;

// Application commands.
inline constexpr std::uint8_t kHandshake = 0x01;
inline constexpr std::uint8_t kEnterBootloader = 0x0B;
inline constexpr std::uint8_t kSoftwareData = 0x0D;
inline constexpr std::uint8_t kReadSerial = 0x15;
inline constexpr std::uint8_t kWriteSerial = 0x16;
inline constexpr std::uint8_t kWriteSerialLength = 32;

// Bootloader command: one numbered piece of the image, or the end of the image.
inline constexpr std::uint8_t kImageData = 0x0C;
inline constexpr std::uint16_t kEndOfImageIndex = 0xFFFF;
inline constexpr int kPayloadPerPacket = 48;
inline constexpr int kLastPacketPayload = 16;
inline constexpr int kPacketCount = 5462;
inline constexpr std::uint8_t kFullPacketLength = 0x32;  // payload + two filler bytes
inline constexpr std::uint8_t kLastPacketLength = 0x12;
inline constexpr std::uint8_t kFillerMin = 1;
inline constexpr std::uint8_t kFillerMax = 200;
// Packet 0's fillers when the host asks for the pairing information to be cleared.
inline constexpr std::uint8_t kClearPairingFirst = 0xFF;
inline constexpr std::uint8_t kClearPairingSecond = 0x00;

// Byte 2 of an answer.
inline constexpr std::uint8_t kStatusOk = 0x00;
inline constexpr std::uint8_t kStatusRefused = 0x03;

// Offsets in a report.
inline constexpr std::size_t kCommandByte = 1;
inline constexpr std::size_t kStatusByte = 2;
inline constexpr std::size_t kLengthByte = 5;
inline constexpr std::size_t kPayloadStart = 6;

// The flash and the identity block the application reads back after a restart.
inline constexpr std::size_t kFlashSize = 0x40000;
inline constexpr std::size_t kBuildTimeOffset = 0x1FE00;
inline constexpr std::size_t kBuildTimeLength = 12;
inline constexpr std::size_t kBuildDateOffset = 0x1FE0C;
inline constexpr std::size_t kBuildDateLength = 16;
inline constexpr std::size_t kIdentityOffset = 0x1FE1C;
inline constexpr std::size_t kIdentityLength = 50;

}  // namespace sim::protocol
