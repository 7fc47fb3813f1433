#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>

// One HID report as the device and the program exchange it: always 64 bytes, written and read
// whole. Byte 0 is the report ID (0x01 in everything the program writes), byte 1 the command.
using HidReport = std::array<std::uint8_t, 64>;

enum class ReadResult { Read, Failed, TimedOut };

// An opened HID interface. Closing it is destroying it.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  // Sends one report; false when the device did not take it.
  virtual bool write(const HidReport& report) = 0;
  // Waits up to `timeout` for one report.
  virtual ReadResult read(HidReport& report, std::chrono::milliseconds timeout) = 0;
};

// An open device, or none ("not open").
using DeviceHandle = std::unique_ptr<HidDevice>;
