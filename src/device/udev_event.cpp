#include "device/udev_event.h"

UdevMatch UdevMatchFor(NoticeClass noticeClass) {
  switch (noticeClass) {
    case NoticeClass::UsbDevice: return {"usb", "usb_device"};
    case NoticeClass::Disk: return {"block", "disk"};
  }
  return {"", ""};
}

std::optional<DeviceNotice> NoticeFromUdevEvent(std::string_view action, std::string_view devtype) {
  if (devtype != UdevMatchFor(NoticeClass::UsbDevice).devtype &&
      devtype != UdevMatchFor(NoticeClass::Disk).devtype)
    return std::nullopt;
  if (action == "add") return DeviceNotice::Arrival;
  if (action == "remove") return DeviceNotice::Removal;
  return std::nullopt;
}
