#pragma once

#include <memory>
#include <vector>

#include "device/device_notices.h"

struct udev;
class QSocketNotifier;

// Where the monitors listen: "udev" when a udev daemon runs, otherwise "kernel".
const char* UdevEventSource();

// Arrival and removal notices from udev: one udev monitor per watched class, read on the
// thread that created the source (the user-interface thread) whenever its socket has an event.
// The listener is therefore called on that thread.
class UdevNoticeSource : public DeviceNoticeSource {
 public:
  UdevNoticeSource();
  ~UdevNoticeSource() override;

  bool watch(NoticeClass noticeClass) override;
  void setListener(Listener listener) override;

 private:
  struct Monitor;
  void drain(Monitor& monitor);

  udev* udev_ = nullptr;
  std::vector<std::unique_ptr<Monitor>> monitors_;
  Listener listener_;
};
