#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <chrono>

// Runs the event loop until the condition holds or the deadline passes; returns the
// condition's final value. The deadline only bounds a failing test: a passing one returns as
// soon as the condition holds.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
  QDeadlineTimer timer(deadline);
  while (!condition()) {
    if (timer.hasExpired()) return condition();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
  }
  return true;
}
