#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "common/trace.h"
#include "sim/simulated_hid_bus.h"
#include "support/wait_until.h"

// The dialog as the program runs it, shown (offscreen) on a simulated bus, with short timing,
// its message boxes answered and recorded, and its trace lines collected.
class DialogHarness {
 public:
  static Timing shortTiming() {
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

  explicit DialogHarness(DialogEnvironment environment = {}, Timing timing = shortTiming()) {
    previousSink_ = trace::setSink([this](std::string_view line) {
      std::lock_guard lock(traceMutex_);
      traces_.emplace_back(line);
    });
    environment.timing = timing;
    environment.hid = bus;
    dlg = std::make_unique<CFerrowindDlg>(std::move(environment));
    dlg->show();
    dlg->setMessageBoxResponder([this](const MessageBoxRequest& request) {
      boxes.push_back(request);
      return answer;
    });
  }

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

 private:
  mutable std::mutex traceMutex_;
  std::vector<std::string> traces_;
  trace::Sink previousSink_;
};
