#pragma once

#include <optional>
#include <string_view>

#include "device/device_notices.h"

// The udev subsystem and device type that stand for one class of notices: whole USB devices
// (one event per device, not per interface) and whole disks (not their partitions).
struct UdevMatch {
  const char* subsystem;
  const char* devtype;
};
UdevMatch UdevMatchFor(NoticeClass noticeClass);

// The notice a udev event gives: "add" is an arrival, "remove" a completed removal; every
// other action, and a device type the program does not watch, gives none.
std::optional<DeviceNotice> NoticeFromUdevEvent(std::string_view action, std::string_view devtype);
