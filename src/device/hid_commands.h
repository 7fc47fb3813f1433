#pragma once

#include <cstdint>

// Report ID of every report the program writes.
inline constexpr std::uint8_t kReportId = 0x01;

// Command codes (byte 1 of a report).
inline constexpr std::uint8_t CMD_HANDSHAKE = 0x01;      // opens every request
inline constexpr std::uint8_t CMD_ENTER_BOOT = 0x0B;     // restart in the bootloader
inline constexpr std::uint8_t CMD_IMAGE_DATA = 0x0C;     // one packet of the image (bootloader)
inline constexpr std::uint8_t CMD_SOFTWARE_DATA = 0x0D;  // identity text, then build date and time
inline constexpr std::uint8_t CMD_READ_SN = 0x15;
inline constexpr std::uint8_t CMD_WRITE_SN = 0x16;

// Where things sit in a report.
inline constexpr int kCommandByte = 1;
inline constexpr int kStatusByte = 2;
inline constexpr int kLengthByte = 5;
inline constexpr int kPayloadByte = 6;
