#include "simulated_hid_bus.h"

#include <atomic>
#include <thread>
#include <cerrno>
#include <utility>

namespace sim {

struct SimulatedHidBus::OtherInterface {
  std::string path;
  int openError;
  std::atomic<int> writes{0};
};

namespace {

// A handle on an interface that is not a keyboard's: it takes reports and never answers.
class QuietHandle : public HidDevice {
 public:
  explicit QuietHandle(std::atomic<int>& writes) : writes_(writes) {}
  bool write(const HidReport&) override {
    ++writes_;
    return true;
  }
  ReadResult read(HidReport&, std::chrono::milliseconds timeout) override {
    std::this_thread::sleep_for(timeout);  // nothing will come
    return ReadResult::TimedOut;
  }

 private:
  std::atomic<int>& writes_;
};

}  // namespace

SimulatedHidBus::SimulatedHidBus() = default;

SimulatedHidBus::~SimulatedHidBus() {
  std::lock_guard lock(mutex_);
  for (Slot& slot : slots_)
    if (slot.keyboard) slot.keyboard->detach();
}

std::shared_ptr<SimulatedKeyboard> SimulatedHidBus::addKeyboard(KeyboardConfig config) {
  auto keyboard = std::make_shared<SimulatedKeyboard>(
      std::move(config), &events_,
      [this](DeviceNotice notice) { announce(notice, NoticeClass::UsbDevice); });
  std::lock_guard lock(mutex_);
  slots_.push_back(Slot{keyboard, nullptr});
  return keyboard;
}

void SimulatedHidBus::addOtherInterface(std::string path, int openError) {
  auto other = std::make_shared<OtherInterface>();
  other->path = std::move(path);
  other->openError = openError;
  std::lock_guard lock(mutex_);
  slots_.push_back(Slot{nullptr, std::move(other)});
}

void SimulatedHidBus::setListingFails(bool fails) {
  std::lock_guard lock(mutex_);
  listingFails_ = fails;
}

std::optional<std::vector<std::string>> SimulatedHidBus::presentInterfaces() {
  std::lock_guard lock(mutex_);
  if (listingFails_) return std::nullopt;
  std::vector<std::string> paths;
  for (const Slot& slot : slots_) {
    if (slot.keyboard) {
      for (std::string& path : slot.keyboard->interfacePaths()) paths.push_back(std::move(path));
    } else {
      paths.push_back(slot.other->path);
    }
  }
  return paths;
}

OpenResult SimulatedHidBus::open(const std::string& path) {
  std::lock_guard lock(mutex_);
  for (const Slot& slot : slots_) {
    if (slot.keyboard) {
      if (DeviceHandle handle = slot.keyboard->open(path)) return OpenResult{std::move(handle)};
    } else if (slot.other->path == path) {
      if (slot.other->openError != 0) {
        const int error = slot.other->openError;
        return OpenResult{nullptr, error, error == EACCES || error == EPERM};
      }
      return OpenResult{std::make_unique<QuietHandle>(slot.other->writes)};
    }
  }
  return OpenResult{nullptr, ENOENT, false};
}

int SimulatedHidBus::writesToOtherInterfaces() const {
  std::lock_guard lock(mutex_);
  int writes = 0;
  for (const Slot& slot : slots_)
    if (slot.other) writes += slot.other->writes;
  return writes;
}

void SimulatedHidBus::announce(DeviceNotice notice, NoticeClass noticeClass) {
  events_.post([this, notice, noticeClass] { deliver(notice, noticeClass); });
}

void SimulatedHidBus::setWatchFails(NoticeClass noticeClass, bool fails) {
  std::lock_guard lock(listenerMutex_);
  if (fails) failingWatches_.insert(noticeClass);
  else failingWatches_.erase(noticeClass);
}

bool SimulatedHidBus::watch(NoticeClass noticeClass) {
  std::lock_guard lock(listenerMutex_);
  if (failingWatches_.count(noticeClass)) return false;
  watched_.insert(noticeClass);
  return true;
}

void SimulatedHidBus::setListener(Listener listener) {
  std::lock_guard lock(listenerMutex_);
  listener_ = std::move(listener);
}

void SimulatedHidBus::deliver(DeviceNotice notice, NoticeClass noticeClass) {
  std::lock_guard lock(listenerMutex_);
  if (listener_ && watched_.count(noticeClass)) listener_(notice);
}

}  // namespace sim
