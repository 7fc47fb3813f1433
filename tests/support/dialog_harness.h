#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "app/resource_ids.h"
#include "common/trace.h"
#include "sim/simulated_hid_bus.h"
#include "support/wait_until.h"

// Short times for every period, pause and time-out: flows run in milliseconds.
inline Timing shortTiming() {
  using namespace std::chrono_literals;
  Timing t;
  t.bootWaitTick = 10ms;
  t.rearmTick = 10ms;
  t.arrivalPause = 1ms;
  t.commandPause = 1ms;
  t.commandReadTimeout = 200ms;
  t.ackReadTimeout = 200ms;
  return t;
}

struct HarnessOptions {
  DialogEnvironment environment;  // its hid and notices are replaced by the harness's bus
  Timing timing = shortTiming();
  // Show the dialog at once, which runs its first scan; when false, the test puts devices on
  // the bus first and calls show().
  bool showNow = true;
  // The bus's arrivals and removals reach the dialog; when false the dialog hears of none,
  // for tests of one step of the flow in isolation.
  bool hearNotices = true;
};

// For tests that put devices on the bus before the dialog's first scan.
inline HarnessOptions notShownYet(Timing timing = shortTiming()) {
  HarnessOptions options;
  options.timing = timing;
  options.showNow = false;
  return options;
}

// The dialog as the program runs it, shown (offscreen) on a simulated bus that is also its
// source of device notices, with short timing, its message boxes answered and recorded, and
// its trace lines collected.
class DialogHarness {
 public:
  explicit DialogHarness(HarnessOptions options = {}) {
    previousSink_ = trace::setSink([this](std::string_view line) {
      std::lock_guard lock(traceMutex_);
      traces_.emplace_back(line);
    });
    DialogEnvironment environment = std::move(options.environment);
    environment.timing = options.timing;
    environment.hid = bus;
    environment.notices = options.hearNotices ? bus : nullptr;
    dlg = std::make_unique<CFerrowindDlg>(std::move(environment));
    dlg->setMessageBoxResponder([this](const MessageBoxRequest& request) {
      boxes.push_back(request);
      return respond ? respond(request) : answer;
    });
    if (options.showNow) show();
  }

  void show() { dlg->show(); }

  ~DialogHarness() {
    dlg.reset();
    trace::setSink(previousSink_);
  }

  std::shared_ptr<sim::SimulatedKeyboard> addBootloader(sim::KeyboardConfig config = {}) {
    config.startMode = sim::KeyboardMode::Bootloader;
    return bus->addKeyboard(std::move(config));
  }

  // Waits until no worker runs and the flow has let go of the upgrade. A whole transfer is
  // 5462 round trips: the deadline leaves room for a slow, loaded machine or a sanitizer build.
  bool awaitIdle() {
    using namespace std::chrono_literals;
    return waitUntil([&] { return !dlg->IsUpgradeWorkerRunning() && !dlg->m_upgrading; }, 120s);
  }

  // Waits until the keyboard, upgraded, is back in its application and the exchange that
  // found it has written its serial number back and shown the result.
  bool awaitBackFromUpgrade(const sim::SimulatedKeyboard& keyboard, int upgrades = 1) {
    using namespace std::chrono_literals;
    return waitUntil(
        [&] {
          return keyboard.completedUpgrades() == upgrades && !dlg->m_restoreSerial &&
                 dlg->itemText(IDC_STATUS) == "Device connected" && !dlg->m_upgrading;
        },
        120s);
  }

  std::vector<std::string> traces() const {
    std::lock_guard lock(traceMutex_);
    return traces_;
  }

  bool traced(const std::string& part) const {
    for (const std::string& line : traces())
      if (line.find(part) != std::string::npos) return true;
    return false;
  }

  std::shared_ptr<sim::SimulatedHidBus> bus = std::make_shared<sim::SimulatedHidBus>();
  std::unique_ptr<CFerrowindDlg> dlg;
  std::vector<MessageBoxRequest> boxes;  // user-interface thread only
  int answer = IDOK;
  // When set, answers the boxes instead of `answer` (and may act while a box is "open").
  std::function<int(const MessageBoxRequest&)> respond;

  std::string text(int id) const { return dlg->itemText(id); }

  // The texts of the boxes shown so far, in order.
  std::vector<std::string> boxTexts() const {
    std::vector<std::string> texts;
    for (const MessageBoxRequest& box : boxes) texts.push_back(box.text);
    return texts;
  }

  int tracedCount(const std::string& part) const {
    int count = 0;
    for (const std::string& line : traces())
      if (line.find(part) != std::string::npos) ++count;
    return count;
  }

 private:
  mutable std::mutex traceMutex_;
  std::vector<std::string> traces_;
  trace::Sink previousSink_;
};
