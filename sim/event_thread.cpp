#include "event_thread.h"

namespace sim {

EventThread::EventThread() : thread_([this] { run(); }) {}

EventThread::~EventThread() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void EventThread::post(std::function<void()> callback, Clock::duration delay) {
  {
    std::lock_guard lock(mutex_);
    due_.emplace(std::pair{Clock::now() + delay, posted_++}, std::move(callback));
  }
  wake_.notify_all();
}

void EventThread::run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (due_.empty()) {
      wake_.wait(lock);
      continue;
    }
    const auto next = due_.begin();
    if (next->first.first > Clock::now()) {
      wake_.wait_until(lock, next->first.first);
      continue;
    }
    std::function<void()> callback = std::move(next->second);
    due_.erase(next);
    lock.unlock();
    callback();
    lock.lock();
  }
}

}  // namespace sim
