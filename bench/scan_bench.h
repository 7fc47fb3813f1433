#pragma once

#include <string>

struct ScanSample {
  int interfaces = 0;
  double medianMicroseconds = 0;
  std::string failure;  // empty when every scan found the keyboard
};

// ScanDevices on the dialog over `interfaces` HID interfaces: interfaces of other devices
// first, the keyboard (in its bootloader, one interface) last. Median of `repetitions` scans.
ScanSample MeasureScan(int interfaces, int repetitions);
