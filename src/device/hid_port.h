#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/hid_device.h"

// The outcome of opening one interface path.
struct OpenResult {
  DeviceHandle device;          // empty when the open failed
  int errorCode = 0;            // the system's error code (errno) of a failed open
  bool permissionDenied = false;  // the interface exists but this user may not open it
};

// The HID interfaces of the machine: the one place where devices are found and opened.
// Two adapters implement it: hidapi on hidraw (the program) and the simulated keyboard's bus
// (tests, the demo).
//
// A path names one interface and holds "vid_" and four hex digits, "pid_" and four hex digits
// and, for an interface of a composite device, "mi_" and two digits; discovery matches on it.
class HidPort {
 public:
  virtual ~HidPort() = default;

  // The paths of the interfaces present now, each once, in an order that stays the same while
  // the devices do; nullopt when the system cannot list them at all.
  virtual std::optional<std::vector<std::string>> presentInterfaces() = 0;

  // Opens one path for reading and writing (shared with other openers).
  virtual OpenResult open(const std::string& path) = 0;
};
