// "Upgrade" with the keyboard already in its bootloader: finding it, the worker, the transfer
// and what the operator sees, against the simulated keyboard.
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "app/resource_ids.h"
#include "support/case_name.h"
#include "support/dialog_harness.h"
#include "upgrade/firmware_image.h"

namespace {

using namespace std::chrono_literals;
using sim::KeyboardFaults;
using sim::KeyboardMode;
using sim::RequestAction;

// The worker on its own: the dialog hears no notices, so the keyboard's restarts after a
// transfer change nothing on it.
HarnessOptions workerOnly(Timing timing = shortTiming(), DialogEnvironment environment = {}) {
  HarnessOptions options;
  options.environment = std::move(environment);
  options.timing = timing;
  options.hearNotices = false;
  return options;
}

QProgressBar* progressBar(CFerrowindDlg& dlg) {
  return qobject_cast<QProgressBar*>(dlg.item(IDC_PROGRESS));
}

bool upgradeEnabled(CFerrowindDlg& dlg) { return dlg.item(IDC_UPGRADE)->isEnabled(); }

std::vector<std::uint8_t> builtInImage() {
  const auto image = FirmwareImage();
  return {image.begin(), image.end()};
}

TEST(UpgradeInBootloader, SendsTheWholeImageAndShowsSuccess) {
  DialogHarness h(workerOnly());
  auto keyboard = h.addBootloader();

  // The operator presses the button.
  qobject_cast<QPushButton*>(h.dlg->item(IDC_UPGRADE))->click();
  ASSERT_TRUE(h.awaitIdle());

  EXPECT_TRUE(h.boxes.empty());
  EXPECT_EQ(keyboard->counters().bootloaderWrites, 5463);
  EXPECT_EQ(keyboard->counters().bootloaderReads, 5462);
  EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
  EXPECT_EQ(keyboard->flash(), builtInImage());
  EXPECT_EQ(keyboard->completedUpgrades(), 1);
  EXPECT_EQ(progressBar(*h.dlg)->maximum(), 5462);
  EXPECT_EQ(progressBar(*h.dlg)->value(), 5462);

  EXPECT_EQ(h.dlg->itemText(IDC_RESULT), "Success");
  EXPECT_TRUE(h.dlg->m_lastOk);
  EXPECT_EQ(h.dlg->m_successCount, 1);
  EXPECT_EQ(h.dlg->itemText(IDC_SUCCESS_COUNT), "1");
  EXPECT_EQ(h.dlg->m_failCount, 0);
  EXPECT_EQ(h.dlg->itemText(IDC_FAIL_COUNT), "0");
  EXPECT_TRUE(h.dlg->m_restoreSerial);
  EXPECT_EQ(h.dlg->m_hBootDevice, nullptr);
  EXPECT_EQ(keyboard->openHandles(), 0);
  EXPECT_TRUE(upgradeEnabled(*h.dlg));
  EXPECT_TRUE(h.traced("打开设备成功"));

  // It restarts with the new firmware.
  ASSERT_TRUE(waitUntil([&] { return keyboard->present(); }));
  EXPECT_EQ(keyboard->mode(), KeyboardMode::Application);
  EXPECT_EQ(keyboard->identityText(), "M484,01,KB,JV,KEYBOARD_RGB,0102");
}

TEST(UpgradeInBootloader, WorkingCopyIsRefreshedBeforeTheRoadIsChosen) {
  DialogHarness h(workerOnly());  // no keyboard at all
  h.dlg->OnUpgrade();
  EXPECT_EQ(std::vector<std::uint8_t>(h.dlg->m_firmware.begin(), h.dlg->m_firmware.end()),
            builtInImage());
}

struct TransferFault {
  const char* name;
  std::function<void(KeyboardFaults&)> inject;
  int code;
  const char* message;
  int writes;  // reports the keyboard was sent, the failed one included
  int reads;   // reads of acknowledgements
  int bar;     // where the progress bar stays
};

void PrintTo(const TransferFault& f, std::ostream* os) { *os << f.name; }

class TransferFailure : public ::testing::TestWithParam<TransferFault> {};

TEST_P(TransferFailure, EndsWithItsCodeAndMessage) {
  const TransferFault& f = GetParam();
  DialogHarness h(workerOnly());
  auto keyboard = h.addBootloader();
  KeyboardFaults faults;
  f.inject(faults);
  keyboard->setFaults(faults);

  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());

  ASSERT_EQ(h.boxes.size(), 1u);
  EXPECT_EQ(h.boxes[0], (MessageBoxRequest{f.message, "Tip", 16}));
  EXPECT_EQ(keyboard->counters().bootloaderWrites, f.writes);
  EXPECT_EQ(keyboard->counters().bootloaderReads, f.reads);
  EXPECT_EQ(progressBar(*h.dlg)->value(), f.bar);
  EXPECT_EQ(h.dlg->itemText(IDC_RESULT), "Failed");
  EXPECT_FALSE(h.dlg->m_lastOk);
  EXPECT_EQ(h.dlg->m_failCount, 1);
  EXPECT_EQ(h.dlg->itemText(IDC_FAIL_COUNT), "1");
  EXPECT_EQ(h.dlg->m_successCount, 0);
  EXPECT_TRUE(h.dlg->m_restoreSerial);  // set after a failed transfer too
  EXPECT_EQ(h.dlg->m_hBootDevice, nullptr);
  EXPECT_EQ(keyboard->openHandles(), 0);
  EXPECT_TRUE(upgradeEnabled(*h.dlg));
  EXPECT_TRUE(keyboard->violations().empty());
  EXPECT_EQ(keyboard->completedUpgrades(), 0);
}

RequestAction vanishOnEndReport(KeyboardMode, const HidReport& r) {
  return (r[3] == 0xFF && r[4] == 0xFF) ? RequestAction::Vanish : RequestAction::Handle;
}

RequestAction goneBeforeAcknowledgingPacket7(KeyboardMode, const HidReport& r) {
  return (r[3] == 0 && r[4] == 7) ? RequestAction::TakeThenVanish : RequestAction::Handle;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TransferFailure,
    ::testing::Values(
        TransferFault{"unplugged at packet 0", [](auto& f) { f.vanishAtPacket = 0; }, 100,
                      "Upgrade failed ! ErrorCode[100]", 1, 0, 0},
        TransferFault{"unplugged at packet 2000", [](auto& f) { f.vanishAtPacket = 2000; }, 100,
                      "Upgrade failed ! ErrorCode[100]", 2001, 2000, 2000},
        TransferFault{"gone before acknowledging", [](auto& f) { f.onRequest = goneBeforeAcknowledgingPacket7; },
                      101, "Upgrade failed ! ErrorCode[101]", 8, 8, 8},
        TransferFault{"silent at packet 5", [](auto& f) { f.silentAtPacket = 5; }, 101,
                      "Upgrade failed ! ErrorCode[101]", 6, 6, 6},
        TransferFault{"status 1 at packet 0", [](auto& f) { f.ackStatusAtPacket[0] = 1; }, 102,
                      "Upgrade failed ! ErrorCode[102]", 1, 1, 1},
        TransferFault{"status 2 at packet 2730", [](auto& f) { f.ackStatusAtPacket[2730] = 2; },
                      103, "Upgrade failed ! ErrorCode[103]", 2731, 2731, 2731},
        TransferFault{"status 3 at the last packet", [](auto& f) { f.ackStatusAtPacket[5461] = 3; },
                      105, "Upgrade failed ! ErrorCode[105]", 5462, 5462, 5462},
        TransferFault{"unplugged at the end report", [](auto& f) { f.onRequest = vanishOnEndReport; },
                      104, "Upgrade failed !  ErrorCode[104]", 5463, 5462, 5462}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(UpgradeInBootloader, SilentKeyboardEndsWithinTheAcknowledgementTimeOut) {
  Timing timing = shortTiming();
  timing.ackReadTimeout = 150ms;
  DialogHarness h(workerOnly(timing));
  auto keyboard = h.addBootloader();
  KeyboardFaults faults;
  faults.silentAtPacket = 0;
  keyboard->setFaults(faults);

  const auto start = std::chrono::steady_clock::now();
  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);  // it did wait for the answer
  ASSERT_EQ(h.boxes.size(), 1u);
  EXPECT_EQ(h.boxes[0].text, "Upgrade failed ! ErrorCode[101]");
  EXPECT_TRUE(h.traced("no acknowledgement of packet 0 within 150 ms"));
  EXPECT_EQ(keyboard->counters().bootloaderWrites, 1);
}

struct MarkerCase {
  int check;
  bool markerSent;
};

void PrintTo(const MarkerCase& c, std::ostream* os) { *os << (c.markerSent ? "checked" : "unchecked"); }

class ClearPairing : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(ClearPairing, PacketZeroCarriesTheMarkerOnlyWhenChecked) {
  DialogHarness h(workerOnly());
  auto keyboard = h.addBootloader();
  h.dlg->setItemCheck(IDC_CLEAR_PAIRING, GetParam().check);

  std::srand(1);  // as at start: nobody seeds the generator
  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());

  EXPECT_EQ(keyboard->pairingClearRequested(), GetParam().markerSent);
  const auto fillers = keyboard->fillers();
  ASSERT_EQ(fillers.size(), 5462u);
  // Two draws per packet, first filler first; none for a packet that carries the marker.
  std::srand(1);
  for (std::size_t i = 0; i < fillers.size(); ++i) {
    if (i == 0 && GetParam().markerSent) {
      EXPECT_EQ(fillers[0].first, 0xFF);
      EXPECT_EQ(fillers[0].second, 0x00);
      continue;
    }
    const int first = std::rand() % 200 + 1;
    const int second = std::rand() % 200 + 1;
    ASSERT_EQ(fillers[i].first, first) << i;
    ASSERT_EQ(fillers[i].second, second) << i;
  }
  EXPECT_TRUE(keyboard->violations().empty());
}

INSTANTIATE_TEST_SUITE_P(States, ClearPairing,
                         ::testing::Values(MarkerCase{BST_CHECKED, true},
                                           MarkerCase{BST_UNCHECKED, false}));

TEST(StartUpgradeWorker, NoBootloaderPresent) {
  DialogHarness h(workerOnly());
  h.bus->addKeyboard();                                     // in its application: not a match
  h.bus->addOtherInterface("other#VID_0416&PID_3F01");      // keys in capitals: not a match
  h.dlg->OnUpgrade();

  ASSERT_EQ(h.boxes.size(), 1u);
  EXPECT_EQ(h.boxes[0], (MessageBoxRequest{"Not find the upgrade device !", "Tip", 16}));
  EXPECT_FALSE(h.dlg->m_upgrading);
  EXPECT_FALSE(h.dlg->IsUpgradeWorkerRunning());
  EXPECT_TRUE(upgradeEnabled(*h.dlg));
  EXPECT_EQ(h.bus->writesToOtherInterfaces(), 0);

  // And it runs again on the next press.
  h.dlg->OnUpgrade();
  EXPECT_EQ(h.boxes.size(), 2u);
}

TEST(StartUpgradeWorker, ListingOrOpeningFailures) {
  struct Case {
    const char* message;
    std::function<void(sim::SimulatedHidBus&)> arrange;
  };
  const std::vector<Case> cases = {
      {"Get device info error !", [](auto& bus) { bus.setListingFails(true); }},
      {"Open device failed !",
       [](auto& bus) { bus.addOtherInterface("locked#vid_0416&pid_3f01", EACCES); }},
  };
  for (const Case& c : cases) {
    DialogHarness h(workerOnly());
    c.arrange(*h.bus);
    EXPECT_EQ(h.dlg->StartUpgradeWorker(), -10);
    ASSERT_EQ(h.boxes.size(), 1u) << c.message;
    EXPECT_EQ(h.boxes[0], (MessageBoxRequest{c.message, "Tip", 16}));
    EXPECT_EQ(h.dlg->m_hBootDevice, nullptr);
  }
}

TEST(StartUpgradeWorker, FirstMatchThatWillNotOpenIsPassedOver) {
  DialogHarness h(workerOnly());
  h.bus->addOtherInterface("locked#vid_0416&pid_3f01", EACCES);
  sim::KeyboardConfig config;
  config.upperCaseHexInPaths = true;  // "pid_3F01" matches "0x3F01" too
  auto keyboard = h.addBootloader(config);

  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());

  EXPECT_TRUE(h.boxes.empty());
  EXPECT_EQ(h.dlg->itemText(IDC_RESULT), "Success");
  EXPECT_EQ(keyboard->completedUpgrades(), 1);
  int failures = 0;
  for (const auto& line : h.traces())
    if (line.find("打开设备失败  LastError:13") != std::string::npos) ++failures;
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(h.traced("permission denied: this user may not open"));
  EXPECT_TRUE(h.traced("install the udev rule 70-ferrowind.rules"));
}

TEST(StartUpgradeWorker, ResetsTheBootWait) {
  DialogHarness h(workerOnly());
  h.addBootloader();
  h.dlg->m_bootWaitTicks = 39;
  h.dlg->setDialogTimer(IDT_BOOT_WAIT, 1h);
  ASSERT_EQ(h.dlg->StartUpgradeWorker(), 1);
  EXPECT_EQ(h.dlg->m_bootWaitTicks, 0);
  EXPECT_FALSE(h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
  ASSERT_TRUE(h.awaitIdle());
}

// Holds the transfer at packet 0 until the test lets go, by unplugging the keyboard.
struct HeldTransfer {
  DialogHarness h;
  std::shared_ptr<sim::SimulatedKeyboard> keyboard;
  HeldTransfer() : h(workerOnly(longAcknowledgement())) {
    keyboard = h.addBootloader();
    KeyboardFaults faults;
    faults.silentAtPacket = 0;
    keyboard->setFaults(faults);
  }
  static Timing longAcknowledgement() {
    Timing t = shortTiming();
    t.ackReadTimeout = 60s;  // only the unplugging ends the wait
    return t;
  }
  void start() {
    h.dlg->OnUpgrade();
    ASSERT_TRUE(waitUntil([&] { return keyboard->counters().bootloaderReads == 1; }));
  }
  void release() {
    keyboard->unplug();
    ASSERT_TRUE(h.awaitIdle());
  }
};

TEST(OneWorkerAtATime, SecondStartIsRefusedWithoutTouchingTheDevice) {
  HeldTransfer held;
  held.start();
  HidDevice* const owned = held.h.dlg->m_hBootDevice.get();

  EXPECT_EQ(held.h.dlg->StartUpgradeWorker(), -10);
  EXPECT_EQ(held.h.dlg->m_hBootDevice.get(), owned);
  EXPECT_EQ(held.keyboard->openHandles(), 1);
  EXPECT_TRUE(held.h.boxes.empty());
  EXPECT_TRUE(held.h.traced("already running"));

  held.release();
  ASSERT_EQ(held.h.boxes.size(), 1u);
  EXPECT_EQ(held.h.boxes[0].text, "Upgrade failed ! ErrorCode[101]");
  EXPECT_EQ(held.h.dlg->m_failCount, 1);
}

TEST(OneWorkerAtATime, UpgradeDuringATransferChangesNothing) {
  HeldTransfer held;
  held.start();
  // A transfer may run with the busy flag clear (a bootloader found by a scan after a refused
  // check); pressing "Upgrade" must still leave the image being sent alone.
  held.h.dlg->m_upgrading = false;
  held.h.dlg->m_firmware[0x100] ^= 0xFF;
  const auto before = held.h.dlg->m_firmware;

  held.h.dlg->OnUpgrade();
  EXPECT_EQ(held.h.dlg->m_firmware, before);
  EXPECT_FALSE(held.h.dlg->m_upgrading);
  EXPECT_TRUE(held.h.boxes.empty());
  held.release();
}

TEST(OneWorkerAtATime, DialogStaysOpenUntilTheTransferEnds) {
  HeldTransfer held;
  held.start();
  held.h.dlg->reject();  // Escape
  held.h.dlg->close();   // the close button
  EXPECT_TRUE(held.h.dlg->isVisible());
  EXPECT_TRUE(held.h.traced("the dialog stays open"));

  held.release();
  held.h.dlg->reject();
  EXPECT_FALSE(held.h.dlg->isVisible());
}

TEST(StartUpgradeWorker, ThreadThatCannotStartReleasesEverything) {
  DialogEnvironment environment;
  environment.startThread = [](std::function<void()>) -> std::thread {
    throw std::system_error(EAGAIN, std::generic_category(), "no thread");
  };
  DialogHarness h(workerOnly(shortTiming(), environment));
  auto keyboard = h.addBootloader();

  h.dlg->OnUpgrade();

  ASSERT_EQ(h.boxes.size(), 1u);
  EXPECT_EQ(h.boxes[0], (MessageBoxRequest{"Failed to start the upgrade !", "Tip", 16}));
  EXPECT_EQ(h.dlg->m_hBootDevice, nullptr);
  EXPECT_EQ(keyboard->openHandles(), 0);
  EXPECT_FALSE(h.dlg->m_upgrading);
  EXPECT_FALSE(h.dlg->IsUpgradeWorkerRunning());
  EXPECT_TRUE(upgradeEnabled(*h.dlg));
  EXPECT_EQ(h.dlg->m_failCount, 0);  // nothing was transferred
}

TEST(Rearm, EnterIsDisarmedForTwoTicksAfterTheFirstTransferAndOneAfterLaterOnes) {
  DialogHarness h(workerOnly());
  auto keyboard = h.addBootloader();

  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());
  ASSERT_TRUE(waitUntil([&] { return h.dlg->m_enterArmed.load(); }));
  EXPECT_EQ(h.dlg->m_rearmTicks, 2);
  EXPECT_FALSE(h.dlg->isDialogTimerRunning(IDT_REARM));

  ASSERT_TRUE(waitUntil([&] { return keyboard->present(); }));
  keyboard->unplug();
  keyboard->plugIn(KeyboardMode::Bootloader);
  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());
  ASSERT_TRUE(waitUntil([&] { return h.dlg->m_enterArmed.load(); }));
  EXPECT_EQ(h.dlg->m_rearmTicks, 3);
  EXPECT_FALSE(h.dlg->isDialogTimerRunning(IDT_REARM));
  EXPECT_EQ(h.dlg->m_successCount, 2);

  int ticks = 0;
  for (const auto& line : h.traces())
    if (line == "----------------- *** OnTimer Runing [5678] *** ----------------- \n") ++ticks;
  EXPECT_EQ(ticks, 3);
}

TEST(Counters, ThreeSuccessesAndOneFailure) {
  DialogHarness h(workerOnly());
  auto keyboard = h.addBootloader();
  for (int run = 0; run < 4; ++run) {
    KeyboardFaults faults;
    if (run == 2) faults.ackStatusAtPacket[10] = 1;
    keyboard->setFaults(faults);
    ASSERT_TRUE(waitUntil([&] { return keyboard->present(); }));
    if (keyboard->mode() == KeyboardMode::Application) {
      keyboard->unplug();
      keyboard->plugIn(KeyboardMode::Bootloader);
    }
    h.dlg->OnUpgrade();
    ASSERT_TRUE(h.awaitIdle());
  }
  EXPECT_EQ(h.dlg->itemText(IDC_SUCCESS_COUNT), "3");
  EXPECT_EQ(h.dlg->itemText(IDC_FAIL_COUNT), "1");
  EXPECT_EQ(h.dlg->itemText(IDC_RESULT), "Success");
  EXPECT_EQ(keyboard->completedUpgrades(), 3);
}

}  // namespace
