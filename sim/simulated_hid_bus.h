#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/device_notices.h"
#include "device/hid_port.h"
#include "event_thread.h"
#include "simulated_keyboard.h"

namespace sim {

// The machine's HID interfaces as the program sees them, made of simulated keyboards and of
// other interfaces that are only there to be walked past. It lists interfaces in the order
// their devices were added (a device keeps its place across restarts) and delivers arrival
// and removal notices on a thread of its own, in order.
class SimulatedHidBus : public HidPort, public DeviceNoticeSource {
 public:
  SimulatedHidBus();
  ~SimulatedHidBus() override;

  std::shared_ptr<SimulatedKeyboard> addKeyboard(KeyboardConfig config = {});

  // Some other HID interface at this path. It opens unless `openError` is set (an errno
  // value), takes every report written to it and never answers.
  void addOtherInterface(std::string path, int openError = 0);
  // Some other device arrives or leaves (a mouse, a disk): only a notice.
  void announce(DeviceNotice notice, NoticeClass noticeClass = NoticeClass::UsbDevice);
  // Watching this class fails, as when the system will not register for it.
  void setWatchFails(NoticeClass noticeClass, bool fails);
  // The system cannot list its interfaces at all.
  void setListingFails(bool fails);

  std::optional<std::vector<std::string>> presentInterfaces() override;
  OpenResult open(const std::string& path) override;
  bool watch(NoticeClass noticeClass) override;
  void setListener(Listener listener) override;

  // Reports written to the other interfaces: the program should never write to them.
  int writesToOtherInterfaces() const;

 private:
  struct OtherInterface;
  struct Slot {
    std::shared_ptr<SimulatedKeyboard> keyboard;
    std::shared_ptr<OtherInterface> other;
  };

  void deliver(DeviceNotice notice, NoticeClass noticeClass);

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  bool listingFails_ = false;

  std::mutex listenerMutex_;  // held while the listener runs, so replacing it is final
  Listener listener_;
  std::set<NoticeClass> watched_;
  std::set<NoticeClass> failingWatches_;

  EventThread events_;  // last: stops before anything above goes
};

}  // namespace sim
