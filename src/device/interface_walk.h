#pragma once

#include <functional>
#include <string>

#include "device/hid_port.h"

// Why a walk over the present interfaces could not run.
enum class WalkResult {
  Walked,    // every present interface was offered (or the visitor stopped early)
  NoList,    // the system could not list its HID interfaces
  NoBuffer,  // no memory for the interface detail buffer
};

// Offers the path of each present interface, in the port's order, until the visitor returns
// true. Like the system's interface detail record, the path travels in a 1024-byte buffer: a
// path that does not fit (1020 characters or more) is skipped.
WalkResult WalkInterfaces(HidPort& port, const std::function<bool(const std::string& path)>& visit);
