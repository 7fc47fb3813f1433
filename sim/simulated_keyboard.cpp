#include "simulated_keyboard.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <utility>

#include "event_thread.h"
#include "keyboard_protocol.h"
#include "report_rules.h"

namespace sim {

namespace p = protocol;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kApplicationInterfaces = 4;
constexpr int kBootloaderInterface = 0;

std::string hex4(std::uint16_t value, bool upperCase) {
  char text[5];
  std::snprintf(text, sizeof text, upperCase ? "%04X" : "%04x", value);
  return text;
}

// The text of a fixed block of the flash, up to its first zero byte.
std::string textAt(const std::vector<std::uint8_t>& flash, std::size_t offset, std::size_t length) {
  std::string text;
  for (std::size_t i = offset; i < offset + length && flash[i] != 0; ++i)
    text.push_back(static_cast<char>(flash[i]));
  return text;
}

// An input report of the keyboard's: report ID, the command it answers, a status, zeros.
HidReport replyTo(std::uint8_t command, std::uint8_t status = p::kStatusOk) {
  HidReport reply{};
  reply[0] = p::kReportId;
  reply[p::kCommandByte] = command;
  reply[p::kStatusByte] = status;
  return reply;
}

}  // namespace

// One open handle's view of an interface: its own queue of answers, as each reader of a
// hidraw node gets its own copy of every input report.
struct SimulatedKeyboard::Reader {
  int interfaceNumber;
  std::deque<Answer> answers;
  bool stale = false;   // the keyboard left since this handle was opened
  bool closed = false;
};

class SimulatedKeyboard::Handle : public HidDevice {
 public:
  Handle(std::shared_ptr<SimulatedKeyboard> keyboard, std::shared_ptr<Reader> reader)
      : keyboard_(std::move(keyboard)), reader_(std::move(reader)) {}
  ~Handle() override { keyboard_->close(reader_); }
  bool write(const HidReport& report) override { return keyboard_->write(reader_, report); }
  ReadResult read(HidReport& report, std::chrono::milliseconds timeout) override {
    return keyboard_->read(reader_, report, timeout);
  }

 private:
  std::shared_ptr<SimulatedKeyboard> keyboard_;
  std::shared_ptr<Reader> reader_;
};

SimulatedKeyboard::SimulatedKeyboard(KeyboardConfig config, EventThread* events,
                                     NoticeSink notices)
    : config_(std::move(config)),
      events_(events),
      notices_(std::move(notices)),
      mode_(config_.startMode),
      present_(config_.startPresent),
      identityText_(config_.identityText),
      dateTimeText_(config_.dateTimeText),
      serialText_(config_.serialText),
      flash_(p::kFlashSize, 0xFF) {}

SimulatedKeyboard::~SimulatedKeyboard() = default;

void SimulatedKeyboard::detach() {
  std::lock_guard lock(mutex_);
  events_ = nullptr;
  notices_ = nullptr;
}

// ---- what the bus sees ---------------------------------------------------------------------

std::string SimulatedKeyboard::pathOf(int interfaceNumber) const {
  const bool upper = config_.upperCaseHexInPaths;
  if (mode_ == KeyboardMode::Bootloader) {
    return "sim/" + config_.name + "#vid_" + hex4(p::kVendorId, upper) + "&pid_" +
           hex4(p::kBootloaderProductId, upper);
  }
  char mi[8];
  std::snprintf(mi, sizeof mi, "&mi_%02d", interfaceNumber);
  return "sim/" + config_.name + "#vid_" + hex4(p::kVendorId, upper) + "&pid_" +
         hex4(config_.applicationPid, upper) + mi;
}

// Keyboards of two of the product IDs take their commands on interface 3, the others on 2.
int SimulatedKeyboard::commandInterface() const {
  return (config_.applicationPid == 0x7473 || config_.applicationPid == 0x7474) ? 3 : 2;
}

std::vector<std::string> SimulatedKeyboard::interfacePaths() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> paths;
  if (!present_) return paths;
  if (mode_ == KeyboardMode::Bootloader) {
    paths.push_back(pathOf(kBootloaderInterface));
  } else {
    for (int i = 0; i < kApplicationInterfaces; ++i) paths.push_back(pathOf(i));
  }
  return paths;
}

DeviceHandle SimulatedKeyboard::open(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (!present_) return nullptr;
  const int count = mode_ == KeyboardMode::Bootloader ? 1 : kApplicationInterfaces;
  for (int i = 0; i < count; ++i) {
    if (pathOf(i) != path) continue;
    auto reader = std::make_shared<Reader>(Reader{i, {}});
    readers_.push_back(reader);
    ++openHandles_;
    return std::make_unique<Handle>(shared_from_this(), std::move(reader));
  }
  return nullptr;
}

// ---- reports -------------------------------------------------------------------------------

bool SimulatedKeyboard::write(const std::shared_ptr<Reader>& reader, const HidReport& report) {
  std::unique_lock lock(mutex_);
  if (reader->closed || reader->stale) return false;
  if (mode_ == KeyboardMode::Bootloader && report[p::kCommandByte] == p::kImageData &&
      faults_.holdAtPacket && ((report[3] << 8) | report[4]) == *faults_.holdAtPacket &&
      !holdReleased_) {
    // The host waits with the keyboard unlocked: the machine goes on around the transfer.
    holding_ = true;
    answered_.wait(lock, [&] { return holdReleased_ || reader->closed || reader->stale; });
    holding_ = false;
    if (reader->closed || reader->stale) return false;
  }
  (mode_ == KeyboardMode::Bootloader ? counters_.bootloaderWrites : counters_.applicationWrites)++;

  if (faults_.onRequest) {
    switch (faults_.onRequest(mode_, report)) {
      case RequestAction::Handle: break;
      case RequestAction::Ignore: return true;
      case RequestAction::Refuse: return false;
      case RequestAction::TakeThenVanish:
        leave(std::nullopt);
        return true;
      case RequestAction::Vanish:
        leave(std::nullopt);
        return false;
    }
  }

  if (mode_ == KeyboardMode::Bootloader) {
    const int index = (report[3] << 8) | report[4];
    if (faults_.vanishAtPacket && report[p::kCommandByte] == p::kImageData &&
        index == *faults_.vanishAtPacket) {
      leave(std::nullopt);
      return false;
    }
    handleBootloaderRequest(report);
  } else if (reader->interfaceNumber != commandInterface()) {
    noteViolation("report written to interface " + std::to_string(reader->interfaceNumber) +
                  ", which takes no commands");
  } else {
    handleApplicationRequest(report);
  }
  return true;
}

ReadResult SimulatedKeyboard::read(const std::shared_ptr<Reader>& reader, HidReport& report,
                                   std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  (mode_ == KeyboardMode::Bootloader ? counters_.bootloaderReads : counters_.applicationReads)++;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (reader->closed) return ReadResult::Failed;
    const auto now = Clock::now();
    if (!reader->answers.empty() && reader->answers.front().readyAt <= now) {
      report = reader->answers.front().report;
      reader->answers.pop_front();
      return ReadResult::Read;
    }
    // Like a hidraw node whose device is gone: what was received can still be read, then
    // every read fails.
    if (reader->stale && reader->answers.empty()) return ReadResult::Failed;
    if (now >= deadline) return ReadResult::TimedOut;
    auto wakeAt = deadline;
    if (!reader->answers.empty()) wakeAt = std::min(wakeAt, reader->answers.front().readyAt);
    answered_.wait_until(lock, wakeAt);
  }
}

void SimulatedKeyboard::close(const std::shared_ptr<Reader>& reader) {
  std::lock_guard lock(mutex_);
  if (reader->closed) return;
  reader->closed = true;
  --openHandles_;
  std::erase_if(readers_, [&](const std::weak_ptr<Reader>& r) {
    auto locked = r.lock();
    return !locked || locked == reader;
  });
  answered_.notify_all();
}

void SimulatedKeyboard::answer(int interfaceNumber, const HidReport& report, bool beforeLeaving,
                               std::chrono::milliseconds extraDelay) {
  const Clock::duration delay =
      beforeLeaving ? Clock::duration::zero() : Clock::duration(config_.answerLatency + extraDelay);
  const Answer queued{report, Clock::now() + delay};
  for (const auto& weak : readers_) {
    if (auto reader = weak.lock(); reader && reader->interfaceNumber == interfaceNumber)
      reader->answers.push_back(queued);
  }
  answered_.notify_all();
}

void SimulatedKeyboard::answerApplication(const HidReport& report) {
  answer(commandInterface(), report, false, faults_.slowApplicationAnswers);
}

void SimulatedKeyboard::noteViolation(std::string what) { violations_.push_back(std::move(what)); }

void SimulatedKeyboard::refuse(std::string what, std::uint8_t command) {
  noteViolation(std::move(what));
  answer(mode_ == KeyboardMode::Bootloader ? kBootloaderInterface : commandInterface(),
         replyTo(command, p::kStatusRefused));
}

// ---- application ---------------------------------------------------------------------------

void SimulatedKeyboard::handleApplicationRequest(const HidReport& report) {
  const std::uint8_t command = report[p::kCommandByte];
  if (report[0] != p::kReportId)
    return refuse("application report with report ID " + byteText(report[0]), command);
  const bool known = command == p::kHandshake || command == p::kEnterBootloader ||
                     command == p::kSoftwareData || command == p::kReadSerial ||
                     command == p::kWriteSerial;
  if (!known) return refuse("unknown application command " + byteText(command), command);
  if (!allZero(report, 2, 5))
    return refuse("application command " + byteText(command) + " with bytes 2-4 not zero",
                  command);
  const std::uint8_t length = command == p::kWriteSerial ? p::kWriteSerialLength : 0;
  if (report[p::kLengthByte] != length)
    return refuse("application command " + byteText(command) + " with length byte " +
                      byteText(report[p::kLengthByte]),
                  command);
  const std::size_t payloadEnd = p::kPayloadStart + length;
  if (!allZero(report, payloadEnd, report.size()))
    return refuse("application command " + byteText(command) + " with bytes after its payload",
                  command);

  if (faults_.silentCommands.count(command)) return;

  switch (command) {
    case p::kHandshake: answerApplication(replyTo(p::kHandshake)); break;
    case p::kSoftwareData: {
      std::string identity = faults_.identityAnswer.value_or(identityText_);
      if (identityAnswers_++ < faults_.colonIdentityAnswers) identity = "BUSY:" + identity;
      answerText(p::kSoftwareData, identity);
      if (!faults_.silentDate) answerText(p::kSoftwareData, faults_.dateAnswer.value_or(dateTimeText_));
      break;
    }
    case p::kReadSerial: answerText(p::kReadSerial, serialText_); break;
    case p::kWriteSerial: {
      std::string serial;
      for (std::size_t i = p::kPayloadStart; i < payloadEnd && report[i] != 0; ++i)
        serial.push_back(static_cast<char>(report[i]));
      serialText_ = serial;
      break;  // nothing is answered
    }
    case p::kEnterBootloader: {
      const std::uint8_t status = faults_.enterBootStatus.value_or(p::kStatusOk);
      const bool restarts = status != p::kStatusRefused;
      if (restarts) {
        answer(commandInterface(), replyTo(p::kEnterBootloader, status), true);
        leave(KeyboardMode::Bootloader);
      } else {
        answerApplication(replyTo(p::kEnterBootloader, status));
      }
      break;
    }
  }
}

void SimulatedKeyboard::answerText(std::uint8_t command, const std::string& text) {
  HidReport reply{};
  if (faults_.garbageAnswers) {
    for (auto& b : reply) {
      noise_ ^= noise_ << 13;
      noise_ ^= noise_ >> 17;
      noise_ ^= noise_ << 5;
      b = static_cast<std::uint8_t>(noise_);
    }
    answerApplication(reply);
    return;
  }
  reply = replyTo(command);
  const std::size_t capacity = reply.size() - p::kPayloadStart;
  const std::size_t length = std::min(text.size(), capacity);
  reply[p::kLengthByte] = static_cast<std::uint8_t>(length);
  std::copy_n(text.begin(), length, reply.begin() + p::kPayloadStart);
  if (faults_.unterminatedTexts) {
    std::fill(reply.begin() + static_cast<std::ptrdiff_t>(p::kPayloadStart + length),
              reply.end(), static_cast<std::uint8_t>(' '));
  }
  answerApplication(reply);
}

// ---- bootloader ----------------------------------------------------------------------------

void SimulatedKeyboard::handleBootloaderRequest(const HidReport& report) {
  const BootloaderVerdict verdict = JudgeBootloaderReport(report, nextPacket_);
  // Packet 0 always starts a transfer afresh, even one it is then refused in.
  if (verdict.packet == 0) {
    nextPacket_ = 0;
    packetsAccepted_ = 0;
    lastPacketAccepted_ = false;
    fillers_.clear();
    pairingClearRequested_ = false;
  }
  switch (verdict.kind) {
    case BootloaderVerdict::Kind::Refused:
      return refuse(verdict.violation, report[p::kCommandByte]);
    case BootloaderVerdict::Kind::Recorded: return noteViolation(verdict.violation);
    case BootloaderVerdict::Kind::EndOfImage: return handleEndOfImage();
    case BootloaderVerdict::Kind::DataPacket: return handleDataPacket(verdict, report);
  }
}

void SimulatedKeyboard::handleDataPacket(const BootloaderVerdict& packet, const HidReport& report) {
  const int index = *packet.packet;
  const std::size_t base = static_cast<std::size_t>(index) * p::kPayloadPerPacket;
  for (int k = 0; k < packet.payloadLength; ++k)
    flash_[base + static_cast<std::size_t>(k)] =
        static_cast<std::uint8_t>(~report[p::kPayloadStart + static_cast<std::size_t>(k)]);
  if (packet.clearPairing) pairingClearRequested_ = true;
  fillers_.emplace_back(packet.firstFiller, packet.secondFiller);
  nextPacket_ = index + 1;
  if (faults_.silentAtPacket == index) return;  // taken, but the answer never comes

  const auto fault = faults_.ackStatusAtPacket.find(index);
  const std::uint8_t status = fault != faults_.ackStatusAtPacket.end() ? fault->second
                                                                         : p::kStatusOk;
  if (status == p::kStatusOk) {
    ++packetsAccepted_;
    lastPacketAccepted_ = index == p::kPacketCount - 1;
  }
  acknowledge(index, status);
}

void SimulatedKeyboard::acknowledge(int index, std::uint8_t status) {
  const auto slow = faults_.slowAckAtPacket.find(index);
  answer(kBootloaderInterface, replyTo(p::kImageData, status), false,
         slow != faults_.slowAckAtPacket.end() ? slow->second : std::chrono::milliseconds::zero());
}

void SimulatedKeyboard::handleEndOfImage() {
  // The end report is never answered: one that comes too early is only recorded.
  if (packetsAccepted_ != p::kPacketCount || !lastPacketAccepted_) {
    noteViolation("end report after " + std::to_string(packetsAccepted_) +
                  " accepted packets of " + std::to_string(p::kPacketCount));
    return;
  }
  ++completedUpgrades_;
  loadApplicationFromFlash();
  leave(KeyboardMode::Application);
}

// The new firmware tells who it is from its own identity block; the serial number is gone
// with the old flash.
void SimulatedKeyboard::loadApplicationFromFlash() {
  identityText_ = textAt(flash_, p::kIdentityOffset, p::kIdentityLength);
  dateTimeText_ = textAt(flash_, p::kBuildDateOffset, p::kBuildDateLength) + "," +
                  textAt(flash_, p::kBuildTimeOffset, p::kBuildTimeLength);
  serialText_.clear();
}

// ---- presence ------------------------------------------------------------------------------

void SimulatedKeyboard::leave(std::optional<KeyboardMode> arriveAs) {
  if (!present_) return;
  present_ = false;
  ++generation_;
  const auto now = Clock::now();
  for (const auto& weak : readers_) {
    if (auto reader = weak.lock()) {
      reader->stale = true;
      // Answers the keyboard had not sent yet go with it.
      std::erase_if(reader->answers, [&](const Answer& a) { return a.readyAt > now; });
    }
  }
  readers_.clear();
  answered_.notify_all();
  notify(DeviceNotice::Removal);
  if (arriveAs && events_) {
    std::weak_ptr<SimulatedKeyboard> self = weak_from_this();
    const KeyboardMode mode = *arriveAs;
    const std::uint64_t departure = generation_;
    events_->post(
        [self, mode, departure] {
          if (auto keyboard = self.lock()) {
            std::lock_guard lock(keyboard->mutex_);
            // Someone plugged it in (or out) meanwhile: that wins over the restart.
            if (keyboard->generation_ != departure || keyboard->present_) return;
            keyboard->arrive(mode);
          }
        },
        config_.restartDelay);
  }
}

void SimulatedKeyboard::arrive(KeyboardMode mode) {
  mode_ = mode;
  present_ = true;
  nextPacket_ = 0;
  packetsAccepted_ = 0;
  lastPacketAccepted_ = false;
  notify(DeviceNotice::Arrival);
}

void SimulatedKeyboard::unplug() {
  std::lock_guard lock(mutex_);
  if (!present_) {
    ++generation_;  // pulled out during a restart: it stays away
    return;
  }
  leave(std::nullopt);
}

void SimulatedKeyboard::plugIn(std::optional<KeyboardMode> mode) {
  std::lock_guard lock(mutex_);
  if (present_) return;
  ++generation_;  // a restart still on its way is overtaken
  arrive(mode.value_or(mode_));
}

// Sent while the keyboard's state is locked, so that notices leave in the order the events
// happened; the bus only queues them.
void SimulatedKeyboard::notify(DeviceNotice notice) {
  if (notices_) notices_(notice);
}

// ---- observation ---------------------------------------------------------------------------

void SimulatedKeyboard::setFaults(KeyboardFaults faults) {
  std::lock_guard lock(mutex_);
  faults_ = std::move(faults);
  holdReleased_ = false;
}

bool SimulatedKeyboard::holdingPacket() const {
  std::lock_guard lock(mutex_);
  return holding_;
}

void SimulatedKeyboard::releaseHeldPacket() {
  {
    std::lock_guard lock(mutex_);
    holdReleased_ = true;
  }
  answered_.notify_all();
}

KeyboardMode SimulatedKeyboard::mode() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

std::uint16_t SimulatedKeyboard::productId() const {
  std::lock_guard lock(mutex_);
  return mode_ == KeyboardMode::Bootloader ? p::kBootloaderProductId : config_.applicationPid;
}

bool SimulatedKeyboard::present() const {
  std::lock_guard lock(mutex_);
  return present_;
}

std::vector<std::uint8_t> SimulatedKeyboard::flash() const {
  std::lock_guard lock(mutex_);
  return flash_;
}

std::string SimulatedKeyboard::identityText() const {
  std::lock_guard lock(mutex_);
  return identityText_;
}

std::string SimulatedKeyboard::dateTimeText() const {
  std::lock_guard lock(mutex_);
  return dateTimeText_;
}

std::string SimulatedKeyboard::serialText() const {
  std::lock_guard lock(mutex_);
  return serialText_;
}

std::vector<std::string> SimulatedKeyboard::violations() const {
  std::lock_guard lock(mutex_);
  return violations_;
}

KeyboardCounters SimulatedKeyboard::counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

int SimulatedKeyboard::packetsAccepted() const {
  std::lock_guard lock(mutex_);
  return packetsAccepted_;
}

std::vector<std::pair<std::uint8_t, std::uint8_t>> SimulatedKeyboard::fillers() const {
  std::lock_guard lock(mutex_);
  return fillers_;
}

bool SimulatedKeyboard::pairingClearRequested() const {
  std::lock_guard lock(mutex_);
  return pairingClearRequested_;
}

int SimulatedKeyboard::completedUpgrades() const {
  std::lock_guard lock(mutex_);
  return completedUpgrades_;
}

int SimulatedKeyboard::openHandles() const {
  std::lock_guard lock(mutex_);
  return openHandles_;
}

}  // namespace sim
