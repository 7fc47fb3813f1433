#include "bench_keyboard.h"

#include <string>

#include "device/hid_device.h"
#include "sim/keyboard_protocol.h"

namespace {

bool isEndReport(const HidReport& report) {
  namespace p = sim::protocol;
  return report[p::kCommandByte] == p::kImageData &&
         ((report[3] << 8) | report[4]) == p::kEndOfImageIndex;
}

}  // namespace

BenchKeyboard::BenchKeyboard(sim::KeyboardMode mode, std::chrono::milliseconds latency) {
  sim::KeyboardConfig config;
  config.name = "bench-keyboard";
  config.startMode = mode;
  config.answerLatency = latency;
  config.restartDelay = std::chrono::hours(1);
  keyboard = bus->addKeyboard(config);

  sim::KeyboardFaults faults;
  faults.onRequest = [endReportNs = endReportNs_](sim::KeyboardMode inMode,
                                                  const HidReport& report) {
    if (inMode == sim::KeyboardMode::Bootloader && isEndReport(report))
      endReportNs->store(std::chrono::steady_clock::now().time_since_epoch().count());
    return sim::RequestAction::Handle;
  };
  keyboard->setFaults(faults);
}

std::chrono::steady_clock::time_point BenchKeyboard::endReportAt() const {
  return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(endReportNs_->load()));
}

std::string KeyboardComplaint(const sim::SimulatedKeyboard& keyboard) {
  const auto violations = keyboard.violations();
  if (!violations.empty()) return "the keyboard refused: " + violations.front();
  if (keyboard.completedUpgrades() != 1) return "the keyboard did not complete the transfer";
  return {};
}
