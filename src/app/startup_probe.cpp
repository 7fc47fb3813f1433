#include "app/startup_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/dialog_window.h"

namespace {

constexpr std::string_view kPrefix = "shown ";

// Watches every event of the application for the dialog's first paint.
class StartupProbe : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!done_ && event->type() == QEvent::Paint) {
      if (auto* dialog = qobject_cast<DialogWindow*>(watched)) {
        done_ = true;
        // Queued, so that the reading comes after this paint has reached the screen.
        QMetaObject::invokeMethod(
            dialog,
            [dialog] {
              const std::string line = StartupProbeLine(MonotonicNanoseconds());
              std::fputs(line.c_str(), stdout);
              std::fflush(stdout);
              dialog->reject();
            },
            Qt::QueuedConnection);
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool done_ = false;
};

}  // namespace

void InstallStartupProbeIfAsked() {
  if (!std::getenv("FERROWIND_EXIT_WHEN_SHOWN")) return;
  QCoreApplication* application = QCoreApplication::instance();
  application->installEventFilter(new StartupProbe(application));
}

long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

std::string StartupProbeLine(long long monotonicNanoseconds) {
  return std::string(kPrefix) + std::to_string(monotonicNanoseconds) + "\n";
}

long long ParseStartupProbeLine(std::string_view line) {
  if (!line.starts_with(kPrefix)) return -1;
  line.remove_prefix(kPrefix.size());
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  long long value = -1;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (error != std::errc() || end != line.data() + line.size() || value < 0) return -1;
  return value;
}
