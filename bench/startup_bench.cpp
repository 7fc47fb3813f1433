#include "startup_bench.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "app/startup_probe.h"

extern char** environ;

namespace {

// A program that has not shown its dialog by then is stuck (a message box, say).
constexpr int kDeadlineMs = 30'000;

std::vector<std::string> probeEnvironment() {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("QT_QPA_PLATFORM=") || text.starts_with("FERROWIND_EXIT_WHEN_SHOWN="))
      continue;
    entries.emplace_back(text);
  }
  entries.emplace_back("QT_QPA_PLATFORM=offscreen");
  entries.emplace_back("FERROWIND_EXIT_WHEN_SHOWN=1");
  return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

StartupSample MeasureStartup(const std::string& program, const std::vector<std::string>& arguments) {
  StartupSample sample;
  int output[2];
  if (pipe(output) != 0) {
    sample.failure = std::string("pipe: ") + std::strerror(errno);
    return sample;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  posix_spawn_file_actions_addclose(&actions, output[1]);
  // Its trace lines are not what is measured.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<std::string> argumentTexts{program};
  argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environmentTexts = probeEnvironment();
  std::vector<char*> argv = pointersTo(argumentTexts);
  std::vector<char*> envp = pointersTo(environmentTexts);

  const long long startedAt = MonotonicNanoseconds();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (spawned != 0) {
    close(output[0]);
    sample.failure = program + ": " + std::strerror(spawned);
    return sample;
  }

  // Everything it writes to standard output, until it closes it by ending.
  std::string written;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDeadlineMs);
  bool timedOut = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd readable{output[0], POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    char buffer[256];
    const ssize_t got = read(output[0], buffer, sizeof buffer);
    if (got == 0) break;
    if (got > 0) written.append(buffer, static_cast<std::size_t>(got));
  }
  close(output[0]);
  if (timedOut) kill(child, SIGKILL);

  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  sample.peakRssMb = usage.ru_maxrss / 1024.0;  // kilobytes on Linux

  const long long shownAt = ParseStartupProbeLine(written);
  if (timedOut) {
    sample.failure = "no dialog within " + std::to_string(kDeadlineMs / 1000) + " s";
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    sample.failure = "the program did not end cleanly (status " + std::to_string(status) + ")";
  } else if (shownAt < 0) {
    sample.failure = "the program did not say when its dialog was shown";
  } else {
    sample.shownMs = (shownAt - startedAt) / 1e6;
  }
  return sample;
}
