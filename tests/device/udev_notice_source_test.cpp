// The udev adapter on the machine's own kernel: a disk announced by the kernel reaches the
// listener as an arrival and a removal, on the thread that runs the event loop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "device/udev_notice_source.h"
#include "support/wait_until.h"

namespace {

// A block device whose uevent file the kernel lets us write, or empty.
std::string writableDiskUevent() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/sys/block", error)) {
    const std::string uevent = entry.path().string() + "/uevent";
    if (access(uevent.c_str(), W_OK) == 0) return uevent;
  }
  return {};
}

void announce(const std::string& uevent, const char* action) {
  std::ofstream(uevent) << action << '\n';
}

TEST(UdevNoticeSource, AKernelDiskEventBecomesANoticeOnTheLoopThread) {
  // The kernel repeats an event for a device when its uevent file is written; with a udev
  // daemon running it would act on it, so the test only runs where none does.
  if (std::string(UdevEventSource()) != "kernel")
    GTEST_SKIP() << "a udev daemon runs here; the test does not stir it";
  const std::string uevent = writableDiskUevent();
  if (uevent.empty()) GTEST_SKIP() << "no disk's uevent file is writable here";

  UdevNoticeSource source;
  ASSERT_TRUE(source.watch(NoticeClass::UsbDevice));
  ASSERT_TRUE(source.watch(NoticeClass::Disk));
  std::vector<DeviceNotice> notices;
  bool onLoopThread = true;
  const auto loopThread = std::this_thread::get_id();
  source.setListener([&](DeviceNotice notice) {
    notices.push_back(notice);
    onLoopThread = onLoopThread && std::this_thread::get_id() == loopThread;
  });

  announce(uevent, "add");
  announce(uevent, "change");  // not a notice
  announce(uevent, "remove");  // announced only: the disk stays
  ASSERT_TRUE(waitUntil([&] { return notices.size() >= 2; }));
  EXPECT_EQ(notices, (std::vector<DeviceNotice>{DeviceNotice::Arrival, DeviceNotice::Removal}));
  EXPECT_TRUE(onLoopThread);
}

}  // namespace
