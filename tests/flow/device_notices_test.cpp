// Arrivals and removals: registering for them, the rescan after an arrival, the reset after a
// removal.
#include <QProgressBar>

#include <gtest/gtest.h>

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

// While a transfer runs, an arrival's scan waits for the worker to end: the keyboard that comes
// back must meet the outcome of its transfer.
TEST(DeviceNotices, AnArrivalDuringATransferIsScannedOnceTheWorkerHasEnded) {
  HarnessOptions options = notShownYet();
  options.timing.ackReadTimeout = std::chrono::seconds(60);  // only the unplugging ends it
  DialogHarness h(options);
  auto boot = h.addBootloader();
  KeyboardFaults faults;
  faults.silentAtPacket = 20;
  boot->setFaults(faults);
  h.show();
  ASSERT_EQ(h.text(IDC_STATUS), "Into boot");
  auto other = h.bus->addKeyboard([] {
    sim::KeyboardConfig config;
    config.name = "other";
    return config;
  }());

  h.dlg->OnUpgrade();
  ASSERT_TRUE(waitUntil([&] { return boot->packetsAccepted() == 20; }));
  h.bus->announce(DeviceNotice::Arrival);
  ASSERT_TRUE(waitUntil([&] { return h.traced("rescan after the upgrade worker has ended"); }));
  EXPECT_EQ(other->counters().applicationWrites, 0);

  boot->unplug();  // the transfer fails; the worker ends
  ASSERT_TRUE(waitUntil([&] { return h.text(IDC_STATUS) == "Device connected"; }));
  EXPECT_FALSE(h.dlg->IsUpgradeWorkerRunning());
  EXPECT_EQ(h.boxTexts(), std::vector<std::string>{"Upgrade failed ! ErrorCode[101]"});
  // The keyboard found gets the serial number back (none was read) and the transfer's result.
  EXPECT_EQ(h.text(IDC_RESULT), "Failed");
}

}  // namespace
