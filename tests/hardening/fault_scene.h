#pragma once

// One run of the whole program on the simulated keyboard with one fault in it, and what must
// hold after every such run, whatever the fault was.

#include <QAbstractButton>
#include <QObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "device/hid_commands.h"
#include "support/dialog_harness.h"
#include "upgrade/transfer_reports.h"

namespace fault {

using namespace std::chrono_literals;
using sim::KeyboardFaults;
using sim::KeyboardMode;
using sim::RequestAction;

inline constexpr const char* kSerial = "FWK2020010700042";
inline constexpr int kMiddlePacket = kDataReports / 2;
inline constexpr int kLastPacket = kDataReports - 1;

// The times every row runs with: short, so that each time-out costs little.
inline const Timing& timing() {
  static const Timing t = shortTiming();
  return t;
}

// What the work itself may take on top of the row's time-outs: whole transfers of 5462
// round trips, on a loaded machine or under a sanitizer. A flow that is stuck overruns it.
inline constexpr std::chrono::milliseconds kWorkAllowance = 45s;

// The dialog, the keyboard the row is about, and everything the display said.
struct Scene {
  Scene() : h(notShownYet(timing())) {}

  void show() {
    QObject::connect(h.dlg.get(), &DialogWindow::itemTextSet, [this](int id, const QString& text) {
      if (id == IDC_RESULT) results.push_back(text.toStdString());
    });
    h.show();
  }

  void pressUpgrade() { qobject_cast<QAbstractButton*>(h.dlg->item(IDC_UPGRADE))->click(); }

  // Upgrades, with the keyboard holding the transfer at data packet `index` (its write does
  // not return) until keyboard->releaseHeldPacket(); true once it holds it. Replaces the
  // keyboard's faults.
  bool upgradeHeldAt(int index) {
    KeyboardFaults held;
    held.holdAtPacket = index;
    keyboard->setFaults(held);
    pressUpgrade();
    return waitUntil([&] { return keyboard->holdingPacket(); }, 60s);
  }

  bool idle() const {
    return !h.dlg->IsUpgradeWorkerRunning() && !h.dlg->m_upgrading &&
           !h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT);
  }

  DialogHarness h;
  std::shared_ptr<sim::SimulatedKeyboard> keyboard;
  std::shared_ptr<sim::SimulatedKeyboard> other;  // a second keyboard, never to be touched
  std::vector<std::string> results;  // every text the result label was given, in order
};

// A hook that does `action` to the first request of `mode` with this command (and, for image
// packets, this index) that comes after it is set, and lets every other request through.
inline KeyboardFaults onFirst(KeyboardMode mode, std::uint8_t command, RequestAction action,
                              std::optional<int> index = std::nullopt) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  KeyboardFaults faults;
  faults.onRequest = [=](KeyboardMode m, const HidReport& report) {
    if (m != mode || report[1] != command) return RequestAction::Handle;
    if (index && ((report[3] << 8) | report[4]) != *index) return RequestAction::Handle;
    if (done->exchange(true)) return RequestAction::Handle;
    return action;
  };
  return faults;
}

// How a row's flow ends.
struct Outcome {
  bool transferSucceeded = false;  // the one case in which "Success" may ever be shown
  int successes = 0;               // the counters when it has ended
  int failures = 0;
  std::vector<std::string> boxes;  // every message box, in order
  std::string result = "Default";  // the result label at the end
  // The keyboard left as the flow failed: its removal notice may reach the dialog after the
  // failure was shown, and reset the result label to "Default". `result` must then have
  // been shown, and the label must read it or "Default".
  bool removalMayFollow = false;
  std::string status;              // the status label at the end, when it matters
  // The time-outs the flow goes through; its bound is these plus kWorkAllowance.
  std::chrono::milliseconds waits{0};
  // Further condition for the flow to be over (besides idle, and every box shown).
  std::function<bool(Scene&)> over;
  // The serial number the keyboard keeps (and reports) from now on.
  std::string serial = kSerial;
};

// What the program wrote while the row ran, to say why a row failed.
inline std::string allTraces(const Scene& s) {
  std::string all;
  for (const std::string& line : s.h.traces()) all += line;
  return all;
}

inline std::string errorBox(int code) { return TransferErrorMessage(code); }

// The keyboard is back from its upgrade: the transfer, the restart, the write-back.
inline bool backFromUpgrade(Scene& s) {
  return s.keyboard->completedUpgrades() >= 1 && !s.h.dlg->m_restoreSerial &&
         s.h.text(IDC_STATUS) == "Device connected";
}

inline Outcome upgraded() {
  Outcome o;
  o.transferSucceeded = true;
  o.successes = 1;
  o.result = "Success";
  o.status = "Device connected";
  o.over = backFromUpgrade;
  return o;
}

inline Outcome transferFailed(int code, std::chrono::milliseconds waits = 0ms) {
  Outcome o;
  o.failures = 1;
  o.boxes = {errorBox(code)};
  o.result = "Failed";
  o.waits = waits;
  return o;
}

inline Outcome refused(std::string box, std::chrono::milliseconds waits = 0ms) {
  Outcome o;
  o.boxes = {std::move(box)};
  o.waits = waits;
  return o;
}

// The keyboard did not say who it is in time: it is given up.
inline Outcome givenUp(std::chrono::milliseconds waits) {
  Outcome o;
  o.status = "Failed 01";
  o.waits = waits;
  o.over = [](Scene& s) { return s.h.text(IDC_STATUS) == "Failed 01"; };
  return o;
}

inline Outcome timedOutWaitingForBoot() {
  return refused("Time out !", timing().bootWaitTick * timing().bootWaitTimeoutTicks);
}

// Waits until the row's flow is over, then checks what holds after every fault.
inline void expectFlowEndsAsPromised(Scene& s, const Outcome& o,
                                     std::chrono::steady_clock::time_point start) {
  const auto bound = o.waits + kWorkAllowance;
  const bool over = waitUntil(
      [&] { return s.idle() && s.h.boxes.size() >= o.boxes.size() && (!o.over || o.over(s)); },
      std::chrono::duration_cast<std::chrono::milliseconds>(bound));
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(over) << "still running after " << bound.count() << " ms; status "
                    << s.h.text(IDC_STATUS) << ", result " << s.h.text(IDC_RESULT)
                    << "; traces:\n" << allTraces(s);
  EXPECT_LE(took, bound);

  EXPECT_EQ(s.h.boxTexts(), o.boxes);
  if (!o.transferSucceeded) {
    for (const std::string& result : s.results) EXPECT_NE(result, "Success");
    EXPECT_EQ(s.keyboard->completedUpgrades(), 0);
  }
  if (o.removalMayFollow) {
    const std::string shown = s.h.text(IDC_RESULT);
    EXPECT_TRUE(shown == o.result || shown == "Default") << shown;
    EXPECT_NE(std::find(s.results.begin(), s.results.end(), o.result), s.results.end());
  } else {
    EXPECT_EQ(s.h.text(IDC_RESULT), o.result);
  }
  if (!o.status.empty()) {
    EXPECT_EQ(s.h.text(IDC_STATUS), o.status);
  }
  EXPECT_EQ(s.h.dlg->m_successCount, o.successes);
  EXPECT_EQ(s.h.dlg->m_failCount, o.failures);
  EXPECT_EQ(s.h.text(IDC_SUCCESS_COUNT), std::to_string(o.successes));
  EXPECT_EQ(s.h.text(IDC_FAIL_COUNT), std::to_string(o.failures));
  EXPECT_TRUE(s.keyboard->violations().empty()) << s.keyboard->violations().front();
  if (s.other) {
    const sim::KeyboardCounters untouched;
    EXPECT_EQ(s.other->counters().applicationWrites, untouched.applicationWrites);
    EXPECT_EQ(s.other->counters().bootloaderWrites, untouched.bootloaderWrites);
    EXPECT_EQ(s.other->openHandles(), 0);
  }
}

// The operator unplugs the keyboard (healed) and plugs it in again; it comes back as it
// left, in its application or its bootloader. Then a clean upgrade must succeed, and the
// keyboard must keep its serial number throughout.
inline void expectACleanUpgradeAfterwards(Scene& s, const Outcome& o) {
  s.keyboard->setFaults({});
  s.h.dlg->setItemCheck(IDC_AUTO_UPGRADE, BST_UNCHECKED);
  s.h.boxes.clear();
  s.keyboard->unplug();
  // The removal resets the display: only then is what it shows next about the keyboard back.
  ASSERT_TRUE(waitUntil([&] { return s.h.text(IDC_STATUS) == "Default"; }));
  s.keyboard->plugIn();
  const bool inBootloader = s.keyboard->mode() == KeyboardMode::Bootloader;
  ASSERT_TRUE(waitUntil([&] {
    return s.h.text(IDC_STATUS) == (inBootloader ? "Into boot" : "Device connected") &&
           (inBootloader || !s.h.dlg->m_restoreSerial) && s.idle();
  }, 30s)) << "the keyboard is not found again; status " << s.h.text(IDC_STATUS);
  if (!inBootloader) {
    EXPECT_EQ(s.keyboard->serialText(), o.serial);
    EXPECT_EQ(s.h.dlg->m_strSerial, o.serial);
  }
  ASSERT_TRUE(s.h.dlg->item(IDC_UPGRADE)->isEnabled());

  const int upgradesBefore = s.keyboard->completedUpgrades();
  s.pressUpgrade();
  ASSERT_TRUE(s.h.awaitBackFromUpgrade(*s.keyboard, upgradesBefore + 1))
      << "no clean upgrade; boxes: " << testing::PrintToString(s.h.boxTexts())
             << ", status " << s.h.text(IDC_STATUS) << "; traces:\n" << allTraces(s);
  EXPECT_TRUE(s.idle());
  EXPECT_TRUE(s.h.boxes.empty()) << s.h.boxes.front().text;
  EXPECT_EQ(s.h.text(IDC_RESULT), "Success");
  EXPECT_EQ(s.keyboard->serialText(), o.serial);
  EXPECT_EQ(s.h.dlg->m_successCount, o.successes + 1);
  EXPECT_EQ(s.h.dlg->m_failCount, o.failures);
  EXPECT_TRUE(s.keyboard->violations().empty()) << s.keyboard->violations().front();
  EXPECT_TRUE(s.h.dlg->item(IDC_UPGRADE)->isEnabled());
}

}  // namespace fault
