#include "device/udev_notice_source.h"

#include <libudev.h>

#include <QSocketNotifier>

#include <unistd.h>

#include "common/trace.h"
#include "device/udev_event.h"

struct UdevNoticeSource::Monitor {
  udev_monitor* monitor = nullptr;
  std::unique_ptr<QSocketNotifier> notifier;
  ~Monitor() {
    notifier.reset();  // stop watching the socket before it is closed
    if (monitor) udev_monitor_unref(monitor);
  }
};

const char* UdevEventSource() {
  // Events as udev publishes them once its rules have run, so that a new hidraw node already
  // carries the permissions the rules give it. A system without a udev daemon (a minimal
  // guest, a rescue system) has only the kernel's own events.
  return access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel";
}

UdevNoticeSource::UdevNoticeSource() : udev_(udev_new()) {
  if (!udev_) trace::write("------------- udev is not available: no device notices --------------- \n");
}

UdevNoticeSource::~UdevNoticeSource() {
  monitors_.clear();
  if (udev_) udev_unref(udev_);
}

bool UdevNoticeSource::watch(NoticeClass noticeClass) {
  if (!udev_) return false;
  auto monitor = std::make_unique<Monitor>();
  monitor->monitor = udev_monitor_new_from_netlink(udev_, UdevEventSource());
  if (!monitor->monitor) return false;
  const UdevMatch match = UdevMatchFor(noticeClass);
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor->monitor, match.subsystem,
                                                      match.devtype) < 0 ||
      udev_monitor_enable_receiving(monitor->monitor) < 0)
    return false;
  const int fd = udev_monitor_get_fd(monitor->monitor);
  if (fd < 0) return false;

  monitor->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  Monitor* watched = monitor.get();
  QObject::connect(watched->notifier.get(), &QSocketNotifier::activated,
                   [this, watched] { drain(*watched); });
  monitors_.push_back(std::move(monitor));
  return true;
}

void UdevNoticeSource::setListener(Listener listener) { listener_ = std::move(listener); }

void UdevNoticeSource::drain(Monitor& monitor) {
  // The socket is non-blocking: take every event that is waiting, then return to the loop.
  while (udev_device* device = udev_monitor_receive_device(monitor.monitor)) {
    const char* action = udev_device_get_action(device);
    const char* devtype = udev_device_get_devtype(device);
    const auto notice = NoticeFromUdevEvent(action ? action : "", devtype ? devtype : "");
    udev_device_unref(device);
    if (notice && listener_) listener_(*notice);
  }
}
