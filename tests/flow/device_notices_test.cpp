// Arrivals and removals: registering for them, the rescan after an arrival, the reset after a
// removal.
#include <QProgressBar>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "app/resource_ids.h"
#include "device/hid_commands.h"
#include "support/dialog_harness.h"

namespace {

using sim::KeyboardFaults;
using sim::KeyboardMode;

TEST(DeviceNotices, EachClassThatCannotBeWatchedShowsItsOwnBox) {
  struct Case {
    bool usbFails;
    bool diskFails;
    std::size_t boxes;
  };
  for (const Case& c : {Case{false, false, 0}, Case{true, false, 1}, Case{false, true, 1},
                        Case{true, true, 2}}) {
    DialogHarness h(notShownYet());
    h.bus->setWatchFails(NoticeClass::UsbDevice, c.usbFails);
    h.bus->setWatchFails(NoticeClass::Disk, c.diskFails);
    auto keyboard = h.bus->addKeyboard();
    h.show();
    ASSERT_EQ(h.boxes.size(), c.boxes);
    for (const MessageBoxRequest& box : h.boxes)
      EXPECT_EQ(box, (MessageBoxRequest{"Registration failed !", "Tip", 16}));
    // The dialog carries on: the first scan still runs.
    EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  }
}

TEST(DeviceNotices, AnyArrivalRescansAfterThePause) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();
  ASSERT_EQ(keyboard->counters().applicationWrites, 3);

  h.bus->announce(DeviceNotice::Arrival, NoticeClass::Disk);  // a memory stick, say
  ASSERT_TRUE(waitUntil([&] { return keyboard->counters().applicationWrites == 6; }));
  EXPECT_TRUE(h.traced("Hid device ARRIVAL [Add]\n"));
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  EXPECT_EQ(keyboard->openHandles(), 1);
}

TEST(DeviceNotices, AnyRemovalResetsTheDisplayAndForgetsTheKeyboard) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();
  h.dlg->m_lastOk = true;
  h.dlg->setItemText(IDC_RESULT, "Success");
  h.dlg->setProgressPos(IDC_PROGRESS, 3);

  h.bus->announce(DeviceNotice::Removal);  // something else was unplugged
  ASSERT_TRUE(waitUntil([&] { return h.dlg->m_hDevice == nullptr; }));
  EXPECT_TRUE(h.traced("Hid device REMOVECOMPLETE [Remove] \n"));
  EXPECT_EQ(h.text(IDC_STATUS), "Default");
  EXPECT_EQ(h.text(IDC_RESULT), "Default");
  EXPECT_EQ(h.text(IDC_FW_INFO), "0000-000-000-000");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0000 --- 0000-00-00 00:00:00");
  EXPECT_FALSE(h.dlg->m_connected);
  EXPECT_FALSE(h.dlg->m_lastOk);
  EXPECT_EQ(qobject_cast<QProgressBar*>(h.dlg->item(IDC_PROGRESS))->value(), 0);
  EXPECT_EQ(keyboard->openHandles(), 0);
  EXPECT_TRUE(keyboard->present());
}

TEST(DeviceNotices, NoticesOfAClassThatCouldNotBeWatchedNeverArrive) {
  DialogHarness h(notShownYet());
  h.bus->setWatchFails(NoticeClass::Disk, true);
  h.show();
  h.bus->announce(DeviceNotice::Arrival, NoticeClass::Disk);
  h.bus->announce(DeviceNotice::Arrival, NoticeClass::UsbDevice);
  ASSERT_TRUE(waitUntil([&] { return h.tracedCount("ARRIVAL") >= 1; }));
  // Notices leave the bus in order: had the disk's been delivered, it would be here already.
  EXPECT_EQ(h.tracedCount("ARRIVAL"), 1);
}

// Holds the worker inside its write of one data packet until released (or destroyed); the
// write then fails. Nothing is unplugged, so no removal notice is sent.
class HeldWrite {
 public:
  explicit HeldWrite(int packet) : packet_(packet) {}
  ~HeldWrite() { release(); }

  sim::KeyboardFaults faults() {
    sim::KeyboardFaults faults;
    faults.onRequest = [this](sim::KeyboardMode mode, const HidReport& report) {
      const int index = (report[3] << 8) | report[4];
      if (mode != sim::KeyboardMode::Bootloader || report[1] != CMD_IMAGE_DATA || index != packet_)
        return sim::RequestAction::Handle;
      std::unique_lock lock(mutex_);
      held_ = true;
      released_.wait(lock, [this] { return release_; });
      return sim::RequestAction::Refuse;
    };
    return faults;
  }
  bool held() {
    std::lock_guard lock(mutex_);
    return held_;
  }
  void release() {
    std::lock_guard lock(mutex_);
    release_ = true;
    released_.notify_all();
  }

 private:
  const int packet_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool held_ = false;
  bool release_ = false;
};

// While a transfer runs, an arrival's scan waits for the worker to end: the keyboard that comes
// back must meet the outcome of its transfer.
TEST(DeviceNotices, AnArrivalDuringATransferIsScannedOnceTheWorkerHasEnded) {
  HeldWrite hold(20);
  DialogHarness h(notShownYet());
  auto boot = h.addBootloader();
  boot->setFaults(hold.faults());
  h.show();
  const char* foundInBootloader = "找到进入升级模式后的vid";
  ASSERT_EQ(h.tracedCount(foundInBootloader), 1);

  h.dlg->OnUpgrade();
  ASSERT_TRUE(waitUntil([&] { return hold.held(); }));
  h.bus->announce(DeviceNotice::Arrival);
  ASSERT_TRUE(waitUntil([&] { return h.traced("rescan after the upgrade worker has ended"); }));
  EXPECT_EQ(h.tracedCount(foundInBootloader), 1);  // not scanned yet

  hold.release();  // the write fails, the transfer ends with it
  ASSERT_TRUE(waitUntil([&] { return h.tracedCount(foundInBootloader) == 2; }));
  EXPECT_FALSE(h.dlg->IsUpgradeWorkerRunning());
  EXPECT_EQ(h.boxTexts(), std::vector<std::string>{"Upgrade failed ! ErrorCode[100]"});
  EXPECT_EQ(h.text(IDC_STATUS), "Into boot");
  EXPECT_EQ(h.text(IDC_RESULT), "Failed");
}

}  // namespace
