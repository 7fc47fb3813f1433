// The fault matrix: the whole program, from the first scan to the keyboard back in its new
// firmware, with one thing going wrong in each row: the keyboard unplugged at every step, a
// bootloader that refuses, a keyboard that stays silent or answers late or with rubbish,
// storms of notices, a second keyboard, an operator who presses and closes at the wrong time.
//
// Every row must end within its time-outs, never show "Success" for an upgrade that did not
// happen, count what happened, never cost the keyboard its serial number, and leave the
// program ready: afterwards a clean upgrade of the healed keyboard succeeds.
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>

#include "support/case_name.h"
#include "support/window_keys.h"
#include "fault_scene.h"

namespace fault {
namespace {

struct FaultRow {
  std::string name;
  // Puts the keyboards on the bus before the dialog's first scan; by default one keyboard
  // in its application.
  std::function<void(Scene&)> arrange;
  // The fault and what the operator does, once the dialog is up.
  std::function<void(Scene&)> act;
  Outcome outcome;
};
void PrintTo(const FaultRow& row, std::ostream* os) { *os << row.name; }

const Timing& t = timing();

void oneKeyboard(Scene& s) { s.keyboard = s.h.bus->addKeyboard(); }

void withFaults(Scene& s, KeyboardFaults faults) { s.keyboard->setFaults(std::move(faults)); }

// The faults, then any device arriving: the dialog scans again and meets them.
std::function<void(Scene&)> rescanWith(KeyboardFaults faults) {
  return [faults](Scene& s) {
    withFaults(s, faults);
    s.h.bus->announce(DeviceNotice::Arrival);
  };
}

std::function<void(Scene&)> upgradeWith(KeyboardFaults faults) {
  return [faults](Scene& s) {
    withFaults(s, faults);
    s.pressUpgrade();
  };
}

// Upgrade, and do something while the image is on its way: the keyboard holds the transfer
// at packet 1000 until the dialog has dealt with it (`dealtWith`, when it is not at once).
std::function<void(Scene&)> duringTransfer(std::function<void(Scene&)> something,
                                           std::function<bool(Scene&)> dealtWith = nullptr) {
  return [something, dealtWith](Scene& s) {
    ASSERT_TRUE(s.upgradeHeldAt(1000));
    something(s);
    if (dealtWith) {
      EXPECT_TRUE(waitUntil([&] { return dealtWith(s); }));
    }
    EXPECT_TRUE(s.h.dlg->IsUpgradeWorkerRunning());
    s.keyboard->releaseHeldPacket();
  };
}

KeyboardFaults silent(std::uint8_t command) {
  KeyboardFaults f;
  f.silentCommands = {command};
  return f;
}

KeyboardFaults ackStatus(int packet, std::uint8_t status) {
  KeyboardFaults f;
  f.ackStatusAtPacket = {{packet, status}};
  return f;
}

KeyboardFaults vanishAt(int packet) {
  KeyboardFaults f;
  f.vanishAtPacket = packet;
  return f;
}

KeyboardFaults silentAt(int packet) {
  KeyboardFaults f;
  f.silentAtPacket = packet;
  return f;
}

KeyboardFaults slowAck(int packet, std::chrono::milliseconds extra) {
  KeyboardFaults f;
  f.slowAckAtPacket = {{packet, extra}};
  return f;
}

KeyboardFaults slowApplication(std::chrono::milliseconds extra) {
  KeyboardFaults f;
  f.slowApplicationAnswers = extra;
  return f;
}

KeyboardFaults bootStatus(std::uint8_t status) {
  KeyboardFaults f;
  f.enterBootStatus = status;
  return f;
}

template <typename Change>
KeyboardFaults faultsWhere(Change change) {
  KeyboardFaults f;
  change(f);
  return f;
}

// An ordinary identity exchange that the keyboard never answers past one of its requests:
// the requests are tried `attempts` times, each bounded by the read time-out.
std::chrono::milliseconds identityAttempts(int attempts) {
  return attempts * (t.commandPause + 2 * t.commandReadTimeout);
}
const std::chrono::milliseconds kWholeExchange =
    identityAttempts(t.identityRequestAttempts) + 2 * t.commandReadTimeout + t.commandPause;

// The keyboard is unplugged as the transfer fails.
Outcome goneDuringTransfer(int code) {
  Outcome o = transferFailed(code);
  o.removalMayFollow = true;
  return o;
}

Outcome withSerial(Outcome o, std::string serial) {
  o.serial = std::move(serial);
  return o;
}

Outcome showing(std::string status, std::chrono::milliseconds waits = 0ms) {
  Outcome o;
  o.status = status;
  o.waits = waits;
  o.over = [status](Scene& s) { return s.h.text(IDC_STATUS) == status; };
  return o;
}

// The upgrade succeeded and the worker said so, but the keyboard is not back yet: the result
// went back to "Default" with its removal.
Outcome upgradedThenGone() {
  Outcome o;
  o.transferSucceeded = true;
  o.successes = 1;
  o.status = "Default";
  o.over = [](Scene& s) {
    return s.keyboard->completedUpgrades() == 1 && !s.keyboard->present() &&
           s.h.text(IDC_STATUS) == "Default";
  };
  return o;
}

Outcome plus(Outcome o, std::function<bool(Scene&)> alsoOver) {
  auto over = o.over;
  o.over = [over, alsoOver](Scene& s) { return (!over || over(s)) && alsoOver(s); };
  return o;
}

// ---- the rows --------------------------------------------------------------------------------

std::vector<FaultRow> unplugRows() {
  return {
      {"unplugged before the boot command", nullptr,
       [](Scene& s) {
         s.keyboard->unplug();
         ASSERT_TRUE(waitUntil([&] { return s.h.text(IDC_STATUS) == "Default"; }));
         s.pressUpgrade();
       },
       refused("Not find the upgrade device !")},
      {"unplugged between the two boot commands", nullptr,
       upgradeWith(onFirst(KeyboardMode::Application, CMD_HANDSHAKE, RequestAction::TakeThenVanish)),
       timedOutWaitingForBoot()},
      {"unplugged while it restarts into its bootloader",
       [](Scene& s) {
         sim::KeyboardConfig config;
         config.restartDelay = 200ms;
         s.keyboard = s.h.bus->addKeyboard(config);
       },
       [](Scene& s) {
         s.pressUpgrade();
         ASSERT_TRUE(s.h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
         s.keyboard->unplug();
       },
       timedOutWaitingForBoot()},
      {"unplugged at packet 0", nullptr, upgradeWith(vanishAt(0)), goneDuringTransfer(kWriteFailed)},
      {"unplugged at a middle packet", nullptr, upgradeWith(vanishAt(kMiddlePacket)),
       goneDuringTransfer(kWriteFailed)},
      {"unplugged at the last packet", nullptr, upgradeWith(vanishAt(kLastPacket)),
       goneDuringTransfer(kWriteFailed)},
      {"unplugged after the last packet, before its acknowledgement", nullptr,
       upgradeWith(onFirst(KeyboardMode::Bootloader, CMD_IMAGE_DATA,
                           RequestAction::TakeThenVanish, kLastPacket)),
       goneDuringTransfer(kReadFailed)},
      {"unplugged between the last acknowledgement and the end report", nullptr,
       upgradeWith(onFirst(KeyboardMode::Bootloader, CMD_IMAGE_DATA, RequestAction::Vanish,
                           kEndReportIndex)),
       goneDuringTransfer(kEndReportWriteFailed)},
      {"unplugged during the identity exchange", nullptr,
       rescanWith(onFirst(KeyboardMode::Application, CMD_SOFTWARE_DATA,
                          RequestAction::TakeThenVanish)),
       plus(showing("Default"), [](Scene& s) { return !s.keyboard->present(); })},
      {"unplugged during the identity exchange after the upgrade", nullptr,
       [](Scene& s) {
         ASSERT_TRUE(s.upgradeHeldAt(1));
         // From now on the next identity request is the one of the keyboard coming back.
         withFaults(s, onFirst(KeyboardMode::Application, CMD_SOFTWARE_DATA,
                               RequestAction::TakeThenVanish));
         s.keyboard->releaseHeldPacket();
       },
       plus(upgradedThenGone(),
            [](Scene& s) { return s.h.traced("device given up: no identity answer"); })},
      {"unplugged during the serial number write-back", nullptr,
       upgradeWith(onFirst(KeyboardMode::Application, CMD_WRITE_SN, RequestAction::Vanish)),
       [] {
         Outcome o = upgradedThenGone();
         o.boxes = {"Serial number write-back failed !"};
         return o;
       }()},
  };
}

std::vector<FaultRow> refusalRows() {
  struct Refusal {
    std::uint8_t status;
    int code;
  };
  struct Where {
    int packet;
    const char* name;
  };
  std::vector<FaultRow> rows;
  for (Refusal r : {Refusal{1, 102}, Refusal{2, 103}, Refusal{3, 105}})
    for (Where w : {Where{0, "the first"}, Where{kMiddlePacket, "a middle"},
                    Where{kLastPacket, "the last"}})
      rows.push_back({"acknowledgement status " + std::to_string(r.status) + " at " + w.name +
                          " packet",
                      nullptr, upgradeWith(ackStatus(w.packet, r.status)),
                      transferFailed(r.code)});
  rows.push_back({"boot command refused", nullptr, upgradeWith(bootStatus(kBootRefusedStatus)),
                  refused(errorBox(kBootRefused))});
  rows.push_back({"boot command answered with status 1", nullptr, upgradeWith(bootStatus(1)),
                  upgraded()});
  rows.push_back({"boot command answered with status 2", nullptr, upgradeWith(bootStatus(2)),
                  upgraded()});
  return rows;
}

std::vector<FaultRow> silenceRows() {
  return {
      {"no answer to the identity request", nullptr, rescanWith(silent(CMD_SOFTWARE_DATA)),
       givenUp(identityAttempts(t.identityRequestAttempts))},
      {"no build date after the identity", nullptr,
       rescanWith(faultsWhere([](KeyboardFaults& f) { f.silentDate = true; })),
       givenUp(identityAttempts(1) + t.commandReadTimeout)},
      {"no answer to the serial number request", nullptr, rescanWith(silent(CMD_READ_SN)),
       givenUp(kWholeExchange)},
      {"no answer to the handshake before the boot command", nullptr,
       upgradeWith(onFirst(KeyboardMode::Application, CMD_HANDSHAKE, RequestAction::Ignore)),
       upgraded()},
      {"no answer to the boot command and no restart", nullptr, upgradeWith(silent(CMD_ENTER_BOOT)),
       [] {
         Outcome o = timedOutWaitingForBoot();
         o.waits += t.commandReadTimeout;
         return o;
       }()},
      {"no acknowledgement of the first packet", nullptr, upgradeWith(silentAt(0)),
       transferFailed(kReadFailed, t.ackReadTimeout)},
      {"no acknowledgement of a middle packet", nullptr, upgradeWith(silentAt(kMiddlePacket)),
       transferFailed(kReadFailed, t.ackReadTimeout)},
      {"no acknowledgement of the last packet", nullptr, upgradeWith(silentAt(kLastPacket)),
       transferFailed(kReadFailed, t.ackReadTimeout)},
  };
}

std::vector<FaultRow> slowRows() {
  const auto inside = t.commandReadTimeout - 60ms;
  const auto outside = t.commandReadTimeout + 60ms;
  return {
      {"answers just inside the read time-out", nullptr,
       [inside](Scene& s) {
         rescanWith(slowApplication(inside))(s);
         // The rescan runs within one event: once it has asked for the serial number, it
         // has also read the answer.
         ASSERT_TRUE(waitUntil([&] { return s.keyboard->counters().applicationWrites >= 6; }));
         ASSERT_EQ(s.h.text(IDC_STATUS), "Device connected");
         ASSERT_NE(s.h.dlg->m_hDevice, nullptr);
         s.pressUpgrade();
       },
       upgraded()},
      {"answers just outside the read time-out", nullptr, rescanWith(slowApplication(outside)),
       givenUp(kWholeExchange + 3 * outside)},
      {"acknowledgement just inside the read time-out", nullptr,
       upgradeWith(slowAck(kMiddlePacket, t.ackReadTimeout - 60ms)), upgraded()},
      {"acknowledgement just outside the read time-out", nullptr,
       upgradeWith(slowAck(kMiddlePacket, t.ackReadTimeout + 60ms)),
       transferFailed(kReadFailed, t.ackReadTimeout)},
  };
}

// A keyboard that says these things about itself from the start.
std::function<void(Scene&)> sayingFromTheStart(KeyboardFaults faults) {
  return [faults](Scene& s) {
    oneKeyboard(s);
    withFaults(s, faults);
  };
}

std::vector<FaultRow> identityRows() {
  const std::string serialAsStored = std::string(kSerial) + std::string(32 - 16, ' ');
  return {
      {"identity with a colon once",
       sayingFromTheStart(faultsWhere([](KeyboardFaults& f) { f.colonIdentityAnswers = 1; })),
       [](Scene& s) {
         EXPECT_EQ(s.h.tracedCount("Recvie SoftWareData Error"), 1);
         ASSERT_EQ(s.h.text(IDC_STATUS), "Device connected");
         ASSERT_NE(s.h.dlg->m_hDevice, nullptr);
         s.pressUpgrade();
       },
       upgraded()},
      {"identity with a colon every time", nullptr,
       rescanWith(faultsWhere([](KeyboardFaults& f) { f.colonIdentityAnswers = 1000; })),
       givenUp(identityAttempts(t.identityRequestAttempts))},
      {"texts without a terminating zero byte",
       sayingFromTheStart(faultsWhere([](KeyboardFaults& f) { f.unterminatedTexts = true; })),
       [](Scene& s) { s.pressUpgrade(); },
       // The write-back carries the first 32 bytes of the 58 the keyboard said.
       withSerial(upgraded(), serialAsStored)},
      {"identity without commas",
       sayingFromTheStart(faultsWhere(
           [](KeyboardFaults& f) { f.identityAnswer = "M484 01 KB JV KEYBOARD_RGB 0101"; })),
       [](Scene& s) { s.pressUpgrade(); }, refused("The NUC code is not the same !")},
      {"identity with extra commas",
       sayingFromTheStart(faultsWhere([](KeyboardFaults& f) {
         f.identityAnswer = "M484,01,KB,JV,KEYBOARD_RGB,EXTRA,,0101";
       })),
       [](Scene& s) { s.pressUpgrade(); }, upgraded()},
      {"build date without a comma",
       sayingFromTheStart(
           faultsWhere([](KeyboardFaults& f) { f.dateAnswer = "Jan  7 2020 19:00:16"; })),
       [](Scene& s) {
         // No comma: no year, month or day; the whole text stands as the time.
         EXPECT_EQ(s.h.text(IDC_FW_VERSION), "0101 --- /1/ Jan  7 2020 19:00:16");
         s.pressUpgrade();
       },
       upgraded()},
      {"noise in every byte of every text", nullptr,
       rescanWith(faultsWhere([](KeyboardFaults& f) { f.garbageAnswers = true; })),
       givenUp(identityAttempts(t.identityRequestAttempts))},
  };
}

std::function<void(Scene&)> storm(int times) {
  return [times](Scene& s) {
    for (int i = 0; i < times; ++i) {
      const NoticeClass noticeClass = i % 2 ? NoticeClass::Disk : NoticeClass::UsbDevice;
      s.h.bus->announce(DeviceNotice::Removal, noticeClass);
      s.h.bus->announce(DeviceNotice::Arrival, noticeClass);
    }
  };
}

bool allArrivalsSeen(Scene& s, int arrivals) {
  return s.h.tracedCount("Hid device ARRIVAL [Add]") >= arrivals;
}

bool allRemovalsSeen(Scene& s, int removals) {
  return s.h.tracedCount("Hid device REMOVECOMPLETE [Remove]") >= removals;
}

std::vector<FaultRow> noticeRows() {
  return {
      {"a storm of arrivals and removals", nullptr, storm(25),
       plus(showing("Device connected"), [](Scene& s) { return allArrivalsSeen(s, 25); })},
      {"a storm of arrivals and removals during the transfer", nullptr,
       duringTransfer(storm(25),
                      [](Scene& s) { return allArrivalsSeen(s, 25) && allRemovalsSeen(s, 25); }),
       upgraded()},
      {"another device removed during the transfer", nullptr,
       duringTransfer([](Scene& s) { s.h.bus->announce(DeviceNotice::Removal); },
                      [](Scene& s) { return allRemovalsSeen(s, 1); }),
       upgraded()},
      {"another device arriving during the transfer", nullptr,
       duringTransfer([](Scene& s) { s.h.bus->announce(DeviceNotice::Arrival); },
                      [](Scene& s) { return allArrivalsSeen(s, 1); }),
       plus(upgraded(), [](Scene& s) {
         return s.h.traced("rescan after the upgrade worker has ended");
       })},
      {"a disk arriving", nullptr,
       [](Scene& s) {
         s.h.bus->announce(DeviceNotice::Arrival, NoticeClass::Disk);
         ASSERT_TRUE(waitUntil([&] { return allArrivalsSeen(s, 1); }));
         s.pressUpgrade();
       },
       upgraded()},
  };
}

std::vector<FaultRow> machineRows() {
  return {
      {"two keyboards present",
       [](Scene& s) {
         sim::KeyboardConfig first;
         first.name = "first";
         s.keyboard = s.h.bus->addKeyboard(first);
         sim::KeyboardConfig second;
         second.name = "second";
         second.serialText = "FWK2020010700099";
         s.other = s.h.bus->addKeyboard(second);
       },
       [](Scene& s) { s.pressUpgrade(); }, upgraded()},
      {"a keyboard in its bootloader at start",
       [](Scene& s) {
         sim::KeyboardConfig config;
         config.serialText = "";  // its application is gone, and its serial number with it
         s.keyboard = s.h.addBootloader(config);
       },
       nullptr, withSerial(showing("Into boot"), "")},
      {"a keyboard arriving in its bootloader with automatic upgrade",
       [](Scene& s) {
         sim::KeyboardConfig config;
         config.serialText = "";
         config.startPresent = false;
         s.keyboard = s.h.addBootloader(config);
       },
       [](Scene& s) {
         s.h.dlg->setItemCheck(IDC_AUTO_UPGRADE, BST_CHECKED);
         s.keyboard->plugIn();
       },
       withSerial(upgraded(), "")},
      {"a command interface that cannot be opened",
       [](Scene& s) {
         s.h.bus->addOtherInterface("sim/locked#vid_0416&pid_7472&mi_02", EACCES);
         oneKeyboard(s);
       },
       [](Scene& s) {
         EXPECT_TRUE(s.h.traced("open failed: sim/locked"));
         s.pressUpgrade();
       },
       upgraded()},
  };
}

std::vector<FaultRow> operatorRows() {
  return {
      {"Upgrade pressed twice", nullptr,
       [](Scene& s) {
         s.h.dlg->OnUpgrade();
         s.h.dlg->OnUpgrade();
       },
       upgraded()},
      {"Enter during the transfer", nullptr,
       duringTransfer([](Scene& s) { typeKey(*s.h.dlg, IDC_UPGRADE, Qt::Key_Return); }),
       upgraded()},
      {"closing the dialog during the transfer", nullptr,
       duringTransfer([](Scene& s) {
         s.h.dlg->reject();
         s.h.dlg->close();
         EXPECT_TRUE(s.h.dlg->isVisible());
       }),
       upgraded()},
      {"Lock unchecked during the transfer", nullptr,
       duringTransfer([](Scene& s) {
         s.h.dlg->enableItem(IDC_LOCK, true);
         QTest::mouseClick(s.h.dlg->item(IDC_LOCK), Qt::LeftButton);
         EXPECT_EQ(s.h.dlg->itemCheck(IDC_LOCK), BST_UNCHECKED);
       }),
       upgraded()},
  };
}

std::vector<FaultRow> allRows() {
  std::vector<FaultRow> rows;
  for (auto part : {unplugRows, refusalRows, silenceRows, slowRows, identityRows, noticeRows,
                    machineRows, operatorRows})
    for (FaultRow& row : part()) rows.push_back(std::move(row));
  return rows;
}

class FaultMatrix : public testing::TestWithParam<FaultRow> {};

TEST_P(FaultMatrix, EndsInTimeTellsTheTruthKeepsTheSerialAndRecovers) {
  const FaultRow& row = GetParam();
  Scene s;
  (row.arrange ? row.arrange : oneKeyboard)(s);
  s.show();

  const auto start = std::chrono::steady_clock::now();
  if (row.act) row.act(s);
  if (HasFatalFailure()) return;
  expectFlowEndsAsPromised(s, row.outcome, start);
  if (HasFatalFailure()) return;
  expectACleanUpgradeAfterwards(s, row.outcome);
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultMatrix, testing::ValuesIn(allRows()),
                         [](const auto& info) { return caseName(info.param.name); });

}  // namespace
}  // namespace fault
