#include "common/trace.h"

#include <cstdio>
#include <mutex>

namespace trace {
namespace {

std::mutex& sinkMutex() {
  static std::mutex m;
  return m;
}

Sink& currentSink() {
  static Sink sink;
  return sink;
}

}  // namespace

void write(std::string_view text) {
  std::lock_guard lock(sinkMutex());
  if (currentSink()) {
    currentSink()(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

Sink setSink(Sink sink) {
  std::lock_guard lock(sinkMutex());
  Sink previous = std::move(currentSink());
  currentSink() = std::move(sink);
  return previous;
}

}  // namespace trace
