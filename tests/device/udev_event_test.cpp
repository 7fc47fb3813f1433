// Which udev events become arrivals and removals.
#include <gtest/gtest.h>

#include <optional>

#include "device/udev_event.h"

namespace {

TEST(UdevEvents, AddAndRemoveOfWholeUsbDevicesAndDisksOnly) {
  struct Case {
    const char* action;
    const char* devtype;
    std::optional<DeviceNotice> notice;
  };
  const Case cases[] = {
      {"add", "usb_device", DeviceNotice::Arrival},
      {"remove", "usb_device", DeviceNotice::Removal},
      {"add", "disk", DeviceNotice::Arrival},
      {"remove", "disk", DeviceNotice::Removal},
      {"change", "usb_device", std::nullopt},
      {"bind", "usb_device", std::nullopt},
      {"unbind", "usb_device", std::nullopt},
      {"move", "disk", std::nullopt},
      {"offline", "disk", std::nullopt},
      {"add", "usb_interface", std::nullopt},  // one event per device, not per interface
      {"add", "partition", std::nullopt},
      {"remove", "", std::nullopt},
      {"", "usb_device", std::nullopt},
      {"ADD", "usb_device", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NoticeFromUdevEvent(c.action, c.devtype), c.notice) << c.action << " " << c.devtype;
}

TEST(UdevEvents, EachClassWatchesItsSubsystemAndType) {
  EXPECT_STREQ(UdevMatchFor(NoticeClass::UsbDevice).subsystem, "usb");
  EXPECT_STREQ(UdevMatchFor(NoticeClass::UsbDevice).devtype, "usb_device");
  EXPECT_STREQ(UdevMatchFor(NoticeClass::Disk).subsystem, "block");
  EXPECT_STREQ(UdevMatchFor(NoticeClass::Disk).devtype, "disk");
}

}  // namespace
