#pragma once

#include <functional>

// A USB device or disk arrived or was removed. Which one is not told: the dialog rescans.
enum class DeviceNotice { Arrival, Removal };

// The kinds of device whose arrivals and removals the dialog asks for.
enum class NoticeClass { UsbDevice, Disk };

// Where arrival and removal notices come from: udev on a real machine, the simulated bus in
// tests and the demo.
class DeviceNoticeSource {
 public:
  using Listener = std::function<void(DeviceNotice)>;

  virtual ~DeviceNoticeSource() = default;

  // Starts the notices of one class; false when they cannot be had. Notices of a class that
  // is not watched are never delivered.
  virtual bool watch(NoticeClass noticeClass) = 0;

  // The listener is called on the source's own thread, one notice at a time, in the order the
  // events happened; it carries the notice to wherever it is handled. An empty listener stops
  // the delivery. Once this returns, the previous listener is never called again.
  virtual void setListener(Listener listener) = 0;
};
