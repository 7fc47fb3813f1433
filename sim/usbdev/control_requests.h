#pragma once

#include <cstdint>

#include "usb_descriptors.h"

namespace sim::usb {

// One request on the control endpoint, as the host sends it (the setup packet's fields).
struct ControlRequest {
  std::uint8_t requestType = 0;
  std::uint8_t request = 0;
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;
};

// The device's answer: a stall, or success with the data of an IN request (at most `length`
// bytes).
struct ControlReply {
  bool stall = false;
  Bytes data;
};

// What a keyboard answers on its control endpoint: its descriptors, its status, and the HID
// class requests the kernel's HID driver makes (idle, protocol). Everything else stalls, as
// a real device's unsupported requests do.
ControlReply AnswerControl(const Identity& identity, const ControlRequest& request);

}  // namespace sim::usb
