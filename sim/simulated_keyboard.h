#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/device_notices.h"
#include "device/hid_port.h"

namespace sim {

class EventThread;
struct BootloaderVerdict;

enum class KeyboardMode { Application, Bootloader };

struct KeyboardConfig {
  // Tells two keyboards on one bus apart; part of every path.
  std::string name = "keyboard";
  std::uint16_t applicationPid = 0x7472;
  std::string identityText = "M484,01,KB,JV,KEYBOARD_RGB,0101";
  std::string dateTimeText = "Jan  7 2020,19:00:16";
  std::string serialText = "FWK2020010700042";
  KeyboardMode startMode = KeyboardMode::Application;
  bool startPresent = true;
  // From leaving one mode to arriving in the other (a restart).
  std::chrono::milliseconds restartDelay{0};
  // How long the keyboard takes to answer each request.
  std::chrono::milliseconds answerLatency{0};
  // Paths spell the hex digits of VID and PID in capitals ("vid_0416&pid_3F01").
  bool upperCaseHexInPaths = false;
};

// What a test hook decides about one request, before the keyboard handles it.
enum class RequestAction {
  Handle,  // as the keyboard normally would
  Vanish,  // the keyboard is unplugged as the request arrives; the write fails
  Ignore,  // taken, never answered
  Refuse,  // the write fails (as a stalled endpoint fails it); the keyboard stays
  TakeThenVanish,  // taken, then the keyboard is unplugged before it answers
};

// Misbehaviour on demand. Everything off by default.
struct KeyboardFaults {
  // Byte 2 of the answer to the enter-bootloader command; 3 refuses, and the keyboard stays.
  std::optional<std::uint8_t> enterBootStatus;
  // Status byte of the acknowledgement of the data packet with this index.
  std::map<int, std::uint8_t> ackStatusAtPacket;
  // Unplugged as this data packet arrives: its write fails.
  std::optional<int> vanishAtPacket;
  // This data packet is taken but never acknowledged.
  std::optional<int> silentAtPacket;
  // Application commands that are taken but never answered.
  std::set<std::uint8_t> silentCommands;
  // The first n identity answers carry a colon (the keyboard is not ready to say who it is).
  int colonIdentityAnswers = 0;
  // Text answers fill the whole report, with no terminating zero byte.
  bool unterminatedTexts = false;
  // Every byte of every text answer (identity, date, serial number) is noise.
  bool garbageAnswers = false;
  // What the keyboard says instead of its identity or build-date text (a firmware that fills
  // them in wrongly).
  std::optional<std::string> identityAnswer;
  std::optional<std::string> dateAnswer;
  // The identity text comes; the build date that should follow it never does.
  bool silentDate = false;
  // Added to the time every application answer takes (a slow or busy keyboard).
  std::chrono::milliseconds slowApplicationAnswers{0};
  // Added to the time the acknowledgement of the data packet with this index takes.
  std::map<int, std::chrono::milliseconds> slowAckAtPacket;
  // The keyboard does not take the data packet with this index (its write does not return)
  // until releaseHeldPacket(), as a keyboard busy with its flash holds the host off; unplugged
  // meanwhile, the write fails. Lets a test act while a transfer is surely under way.
  std::optional<int> holdAtPacket;
  // Sees every report written to the keyboard, in either mode, before anything else does.
  // It runs inside the keyboard: it must not call the keyboard back.
  std::function<RequestAction(KeyboardMode, const HidReport&)> onRequest;
};

// How many reports the keyboard was sent and how many reads were made of it, per mode.
struct KeyboardCounters {
  int applicationWrites = 0;
  int applicationReads = 0;
  int bootloaderWrites = 0;
  int bootloaderReads = 0;
};

// A keyboard that speaks the upgrade protocol on both sides of its restart: the application
// (identity, serial number, the switch to the bootloader) and the bootloader (the numbered,
// acknowledged image packets and the end report, after which it starts the new firmware).
//
// It is the project's test device, so it is strict: it checks every byte the host sends, and
// refuses (status 3) and records anything a real keyboard would not accept. A test that ends
// with violations() empty has proven that nothing wrong was sent.
//
// Thread-safe: the host may write and read from any thread; notices leave through the bus.
class SimulatedKeyboard : public std::enable_shared_from_this<SimulatedKeyboard> {
 public:
  using NoticeSink = std::function<void(DeviceNotice)>;

  // `events` runs the keyboard's delayed work (restarts); `notices` carries its arrivals and
  // removals: it is called with the keyboard locked, so it must only queue them. Both belong
  // to the bus and must outlive the keyboard's use of them (see detach).
  SimulatedKeyboard(KeyboardConfig config, EventThread* events, NoticeSink notices);
  ~SimulatedKeyboard();

  // The paths of its interfaces while it is present; none while it is away.
  std::vector<std::string> interfacePaths() const;
  // Opens one of its interfaces; nullptr when the path is not one of its present interfaces.
  DeviceHandle open(const std::string& path);

  // The operator's hands. Plugging in with a mode is plugging in with the key held that
  // starts the keyboard in that mode; without one it comes back as it left. Unplugging it
  // while it restarts means it does not come back by itself.
  void unplug();
  void plugIn(std::optional<KeyboardMode> mode = std::nullopt);

  void setFaults(KeyboardFaults faults);
  // True while a write is held by holdAtPacket; releasing lets it (and every later one) through.
  bool holdingPacket() const;
  void releaseHeldPacket();

  KeyboardMode mode() const;
  // The USB product ID it shows in its current mode.
  std::uint16_t productId() const;
  bool present() const;
  std::vector<std::uint8_t> flash() const;
  std::string identityText() const;
  std::string dateTimeText() const;
  std::string serialText() const;
  std::vector<std::string> violations() const;
  KeyboardCounters counters() const;
  // Data packets of the current (or last) transfer that were taken and acknowledged with 0.
  int packetsAccepted() const;
  // The filler bytes of each packet of the current transfer, by index.
  std::vector<std::pair<std::uint8_t, std::uint8_t>> fillers() const;
  bool pairingClearRequested() const;
  int completedUpgrades() const;
  int openHandles() const;

  // The bus is going away: no more delayed work or notices.
  void detach();

  struct Reader;
  class Handle;

 private:
  struct Answer {
    HidReport report;
    std::chrono::steady_clock::time_point readyAt;
  };

  bool write(const std::shared_ptr<Reader>& reader, const HidReport& report);
  ReadResult read(const std::shared_ptr<Reader>& reader, HidReport& report,
                  std::chrono::milliseconds timeout);
  void close(const std::shared_ptr<Reader>& reader);

  // All below run with mutex_ held.
  std::string pathOf(int interfaceNumber) const;
  int commandInterface() const;
  void handleApplicationRequest(const HidReport& report);
  void handleBootloaderRequest(const HidReport& report);
  void handleDataPacket(const BootloaderVerdict& packet, const HidReport& report);
  void handleEndOfImage();
  // Queues an answer, ready after the answer latency, or at once when the keyboard is about to
  // leave (an answer it has not sent when it goes is lost).
  void answer(int interfaceNumber, const HidReport& report, bool beforeLeaving = false,
              std::chrono::milliseconds extraDelay = std::chrono::milliseconds::zero());
  void answerApplication(const HidReport& report);
  void answerText(std::uint8_t command, const std::string& text);
  void acknowledge(int index, std::uint8_t status);
  void refuse(std::string what, std::uint8_t command);
  // Leaves the bus now (removal) and, when `arriveAs` is set, comes back in that mode later.
  void leave(std::optional<KeyboardMode> arriveAs);
  void arrive(KeyboardMode mode);
  void loadApplicationFromFlash();
  void noteViolation(std::string what);

  void notify(DeviceNotice notice);

  const KeyboardConfig config_;
  EventThread* events_;
  NoticeSink notices_;

  mutable std::mutex mutex_;
  std::condition_variable answered_;

  KeyboardMode mode_;
  bool present_;
  std::uint64_t generation_ = 0;  // grows at every departure and plug-in: a restart planned earlier is overtaken
  std::vector<std::weak_ptr<Reader>> readers_;  // handles on the present interfaces
  int openHandles_ = 0;  // handles not yet closed, stale ones included
  KeyboardFaults faults_;
  bool holding_ = false;        // a write waits at faults_.holdAtPacket
  bool holdReleased_ = false;   // ...and may go on
  KeyboardCounters counters_;
  std::vector<std::string> violations_;

  std::string identityText_;
  std::string dateTimeText_;
  std::string serialText_;
  int identityAnswers_ = 0;
  std::uint32_t noise_ = 0x2545F491;  // state of the garbage generator

  std::vector<std::uint8_t> flash_;
  int nextPacket_ = 0;
  int packetsAccepted_ = 0;
  bool lastPacketAccepted_ = false;
  std::vector<std::pair<std::uint8_t, std::uint8_t>> fillers_;
  bool pairingClearRequested_ = false;
  int completedUpgrades_ = 0;
};

}  // namespace sim
