#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include "sim/simulated_hid_bus.h"

// A bus with one keyboard, for the benchmarks. The keyboard notes when the end report of a
// transfer reaches it; once upgraded it restarts only after an hour, so that a measured run
// ends on the transfer and not on what follows it.
struct BenchKeyboard {
  BenchKeyboard(sim::KeyboardMode mode, std::chrono::milliseconds latency);

  std::chrono::steady_clock::time_point endReportAt() const;
  bool endReportArrived() const { return endReportNs_->load() != 0; }

  std::shared_ptr<sim::SimulatedHidBus> bus = std::make_shared<sim::SimulatedHidBus>();
  std::shared_ptr<sim::SimulatedKeyboard> keyboard;

 private:
  // Shared with the keyboard's hook, which runs on whichever thread writes to it.
  std::shared_ptr<std::atomic<long long>> endReportNs_ =
      std::make_shared<std::atomic<long long>>(0);
};

// What went wrong on the keyboard's side, or empty: a transfer the keyboard did not complete,
// or anything it had to refuse.
std::string KeyboardComplaint(const sim::SimulatedKeyboard& keyboard);
