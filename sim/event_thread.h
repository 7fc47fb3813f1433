#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace sim {

// One thread that runs callbacks at or after given times, in time order, and callbacks due at
// the same time in the order they were posted. The simulated devices use it for whatever
// happens "later" on a real bus: a restart that takes a while, a notice that arrives on its
// own thread.
class EventThread {
 public:
  using Clock = std::chrono::steady_clock;

  EventThread();
  ~EventThread();  // drops what has not run yet
  EventThread(const EventThread&) = delete;
  EventThread& operator=(const EventThread&) = delete;

  void post(std::function<void()> callback, Clock::duration delay = Clock::duration::zero());

  // True while the calling code runs on this thread.
  bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::multimap<std::pair<Clock::time_point, std::uint64_t>, std::function<void()>> due_;
  std::uint64_t posted_ = 0;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once everything above exists
};

}  // namespace sim
