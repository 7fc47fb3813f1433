#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid_port.h"

// The machine's HID interfaces through hidapi on hidraw.
//
// hid_init() runs in the constructor; hid_exit() is never called, because opened devices may
// outlive the port and other ports may still be in use. On hidraw hidapi keeps no resources
// between calls but its last error text, so nothing is lost by not calling it.
class HidapiPort : public HidPort {
 public:
  HidapiPort();

  // nullopt only when hidapi could not start. hidapi answers "no devices" and "could not list"
  // alike, so both are an empty list.
  std::optional<std::vector<std::string>> presentInterfaces() override;

  // A path that is not one of ours fails with EINVAL, a node that is no hidraw interface with
  // ENODEV; neither reaches hidapi.
  OpenResult open(const std::string& path) override;

 private:
  bool initialized_;
};

// The pieces of the adapter that need no device, kept apart so that they can be tested.

// hid_read_timeout's milliseconds: never negative (that would wait forever), at most INT_MAX.
int hidapiTimeoutMs(std::chrono::milliseconds timeout);

// True for the error codes of an interface that exists but this user may not open.
bool isPermissionError(int errorCode);

// The report a read of `count` bytes into `buffer` gives: those bytes, zeros after them.
HidReport reportOfReadBytes(const HidReport& buffer, std::size_t count);

// True when a sysfs "subsystem" link target names the hidraw class, e.g. "../../class/hidraw".
bool namesHidrawSubsystem(std::string_view linkTarget);
