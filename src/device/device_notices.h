#pragma once

#include <functional>

// A USB device or disk arrived or was removed. Which one is not told: the dialog rescans.
enum class DeviceNotice { Arrival, Removal };

// Where arrival and removal notices come from: udev on a real machine, the simulated bus in
// tests and the demo.
class DeviceNoticeSource {
 public:
  using Listener = std::function<void(DeviceNotice)>;

  virtual ~DeviceNoticeSource() = default;

  // The listener is called on the source's own thread, one notice at a time, in the order the
  // events happened; it carries the notice to wherever it is handled. An empty listener stops
  // the delivery. Once this returns, the previous listener is never called again.
  virtual void setListener(Listener listener) = 0;
};
