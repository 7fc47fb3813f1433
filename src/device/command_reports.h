#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "device/hid_device.h"

// The application's command reports and the texts its answers carry.

// The raw serial number as the program keeps it: the 58 text bytes of the answer and six
// zero bytes, so that it always ends in a zero byte.
using SerialBytes = std::array<std::uint8_t, 64>;

// Bytes written back with the serial number (the device takes no more).
inline constexpr int kSerialWriteLength = 32;

// A command without payload: report ID, the command, zeros.
HidReport BuildCommandReport(std::uint8_t command);

// The serial-number write: length 32 in byte 5 and the first 32 serial bytes from byte 6.
HidReport BuildWriteSerialReport(const SerialBytes& serial);

// The text of an answer: from byte 6 to the first zero byte or the end of the report.
std::string AnswerText(const HidReport& answer);

// The serial bytes an answer to the serial-number request carries (bytes 6 to 63, then six
// zero bytes), and the text they hold (up to the first zero byte).
SerialBytes SerialFromAnswer(const HidReport& answer);
std::string SerialText(const SerialBytes& serial);

// Writes one command report to the device; false when none is open or it refused the report.
bool SendReport(HidDevice* device, const HidReport& report);

// Reads one answer into a zeroed report; an absent device counts as a failed read.
ReadResult ReadAnswer(HidDevice* device, HidReport& answer, std::chrono::milliseconds timeout);
