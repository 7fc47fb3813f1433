// ferrowind-usbdev: the simulated keyboard as a USB device for a QEMU guest, over usbredir.
//
//   ferrowind-usbdev --socket PATH [--report FILE] [--restart-ms N] [fault options]
//
// Connects to QEMU's usb-redir character device (a Unix socket QEMU listens on), presents the
// keyboard in its application, and serves it until QEMU hangs up or the process is told to
// stop (SIGTERM, SIGINT). Then it writes what the keyboard went through to the report file.
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "redirected_keyboard.h"
#include "sim/keyboard_protocol.h"
#include "sim/simulated_hid_bus.h"
#include "upgrade/firmware_image.h"

namespace {

std::atomic<bool> stopRequested{false};

constexpr const char* kUsage =
    "usage: ferrowind-usbdev --socket PATH [--report FILE] [--restart-ms N]\n"
    "                        [--refuse-boot] [--ack-status PACKET:STATUS] [--vanish-at PACKET]\n"
    "                        [--replug-after-ms N]\n";

struct Options {
  std::string socket;
  std::string report;
  int restartMs = 1500;
  int replugMs = -1;  // an operator plugs a vanished keyboard in again after this long
  sim::KeyboardFaults faults;
};

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--socket" && hasValue) {
      options.socket = argv[++i];
    } else if (argument == "--report" && hasValue) {
      options.report = argv[++i];
    } else if (argument == "--restart-ms" && hasValue) {
      options.restartMs = std::atoi(argv[++i]);
    } else if (argument == "--refuse-boot") {
      options.faults.enterBootStatus = 3;
    } else if (argument == "--ack-status" && hasValue) {
      int packet = 0, status = 0;
      if (std::sscanf(argv[++i], "%d:%d", &packet, &status) != 2) return false;
      options.faults.ackStatusAtPacket[packet] = static_cast<std::uint8_t>(status);
    } else if (argument == "--replug-after-ms" && hasValue) {
      options.replugMs = std::atoi(argv[++i]);
    } else if (argument == "--vanish-at" && hasValue) {
      options.faults.vanishAtPacket = std::atoi(argv[++i]);
    } else {
      return false;
    }
  }
  return !options.socket.empty();
}

// QEMU creates its socket as it starts: wait for it, within a bound.
int connectTo(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return -1;
  std::strcpy(address.sun_path, path.c_str());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!stopRequested) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    if (std::chrono::steady_clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

// When the last transfer's first data packet and its end report reached the keyboard.
struct TransferClock {
  std::atomic<long long> firstPacketNs{0};
  std::atomic<long long> endReportNs{0};

  static long long now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  // Watches the keyboard's requests (the hook runs inside the keyboard: it only notes times).
  void watch(sim::KeyboardFaults& faults) {
    faults.onRequest = [this](sim::KeyboardMode mode, const HidReport& report) {
      namespace p = sim::protocol;
      if (mode == sim::KeyboardMode::Bootloader && report[p::kCommandByte] == p::kImageData) {
        const int index = (report[3] << 8) | report[4];
        if (index == 0) firstPacketNs = now();
        if (index == p::kEndOfImageIndex) endReportNs = now();
      }
      return sim::RequestAction::Handle;
    };
  }
  double seconds() const {
    const long long first = firstPacketNs, end = endReportNs;
    return end > first && first > 0 ? (end - first) / 1e9 : 0;
  }
};

TransferClock transferClock;

void writeReport(const std::string& path, const sim::SimulatedKeyboard& keyboard) {
  std::ofstream out(path);
  const auto flash = keyboard.flash();
  const auto image = FirmwareImage();
  const bool flashIsImage = flash.size() == image.size() && std::equal(flash.begin(), flash.end(), image.begin());
  out << "mode=" << (keyboard.mode() == sim::KeyboardMode::Bootloader ? "bootloader" : "application") << "\n"
      << "present=" << keyboard.present() << "\n"
      << "completed_upgrades=" << keyboard.completedUpgrades() << "\n"
      << "flash_is_built_in_image=" << flashIsImage << "\n"
      << "identity=" << keyboard.identityText() << "\n"
      << "serial=" << keyboard.serialText() << "\n"
      << "packets_accepted=" << keyboard.packetsAccepted() << "\n"
      << "last_transfer_s=" << transferClock.seconds() << "\n";
  for (const std::string& violation : keyboard.violations()) out << "violation=" << violation << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  struct sigaction stop {};
  stop.sa_handler = [](int) { stopRequested = true; };
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);

  auto bus = std::make_shared<sim::SimulatedHidBus>();
  sim::KeyboardConfig config;
  config.name = "usb-keyboard";
  config.restartDelay = std::chrono::milliseconds(options.restartMs);
  auto keyboard = bus->addKeyboard(config);
  transferClock.watch(options.faults);
  keyboard->setFaults(options.faults);

  const int socket = connectTo(options.socket);
  if (socket < 0) {
    std::fprintf(stderr, "usbdev: cannot connect to %s\n", options.socket.c_str());
    return 1;
  }
  // The operator's hands: a keyboard away for longer than a restart takes was pulled out (or
  // fell out); it is plugged in again, once.
  std::thread operatorHands;
  if (options.replugMs >= 0) {
    operatorHands = std::thread([&] {
      using namespace std::chrono;
      auto awaySince = steady_clock::time_point::max();
      while (!stopRequested) {
        std::this_thread::sleep_for(milliseconds(20));
        if (keyboard->present()) {
          awaySince = steady_clock::time_point::max();
          continue;
        }
        const auto now = steady_clock::now();
        if (awaySince == steady_clock::time_point::max()) awaySince = now;
        if (now - awaySince > milliseconds(options.restartMs + 1000 + options.replugMs)) {
          // Whatever made it fall out is over (a loose cable, a hand).
          std::fprintf(stderr, "usbdev: plugged in again\n");
          sim::KeyboardFaults healed;
          transferClock.watch(healed);
          keyboard->setFaults(healed);
          keyboard->plugIn();
          return;
        }
      }
    });
  }
  bool served = false;
  {
    sim::usb::RedirectedKeyboard device(socket, bus, keyboard);
    served = device.run(stopRequested);
  }
  stopRequested = true;
  if (operatorHands.joinable()) operatorHands.join();
  if (!options.report.empty()) writeReport(options.report, *keyboard);
  return served ? 0 : 1;
}
