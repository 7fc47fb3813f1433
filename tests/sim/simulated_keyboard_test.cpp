// The simulated keyboard on its own, driven with raw reports: it must answer as the keyboard
// does, and refuse and record whatever a real one would not take.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/simulated_hid_bus.h"
#include "support/case_name.h"

namespace {

using namespace std::chrono_literals;
using sim::KeyboardConfig;
using sim::KeyboardFaults;
using sim::KeyboardMode;
using sim::SimulatedHidBus;

constexpr auto kRead = 200ms;  // bounds a read that should succeed at once

HidReport command(std::uint8_t code) {
  HidReport r{};
  r[0] = 0x01;
  r[1] = code;
  return r;
}

std::string textOf(const HidReport& r) {
  std::string text;
  for (std::size_t i = 6; i < r.size() && r[i] != 0; ++i) text.push_back(static_cast<char>(r[i]));
  return text;
}

// Notices in the order the bus delivered them.
class NoticeLog {
 public:
  explicit NoticeLog(SimulatedHidBus& bus) {
    bus.watch(NoticeClass::UsbDevice);
    bus.watch(NoticeClass::Disk);
    bus.setListener([this](DeviceNotice n) {
      std::lock_guard lock(mutex_);
      notices_.push_back(n);
      changed_.notify_all();
    });
  }
  std::vector<DeviceNotice> waitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, 5s, [&] { return notices_.size() >= count; });
    return notices_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<DeviceNotice> notices_;
};

DeviceHandle openPath(SimulatedHidBus& bus, const std::string& path) {
  OpenResult opened = bus.open(path);
  EXPECT_TRUE(opened.device) << path;
  return std::move(opened.device);
}

const std::string kCommandPath = "sim/keyboard#vid_0416&pid_7472&mi_02";
const std::string kBootPath = "sim/keyboard#vid_0416&pid_3f01";

// One keyboard on a bus, with its faults set and a handle open on the interface that takes
// its commands.
struct KeyboardOnBus {
  SimulatedHidBus bus;
  std::shared_ptr<sim::SimulatedKeyboard> keyboard;
  DeviceHandle handle;
  explicit KeyboardOnBus(KeyboardFaults faults = {}, KeyboardConfig config = {}) {
    const bool bootloader = config.startMode == KeyboardMode::Bootloader;
    keyboard = bus.addKeyboard(std::move(config));
    keyboard->setFaults(std::move(faults));
    handle = openPath(bus, bootloader ? kBootPath : kCommandPath);
  }
  // Writes one report and gives the status byte of its answer.
  std::uint8_t send(const HidReport& r) {
    EXPECT_TRUE(handle->write(r));
    HidReport answer{};
    EXPECT_EQ(handle->read(answer, kRead), ReadResult::Read);
    return answer[2];
  }
};

TEST(SimulatedKeyboard, ListsFourInterfacesInItsApplication) {
  SimulatedHidBus bus;
  bus.addKeyboard();
  EXPECT_EQ(bus.presentInterfaces(),
            (std::vector<std::string>{"sim/keyboard#vid_0416&pid_7472&mi_00",
                                      "sim/keyboard#vid_0416&pid_7472&mi_01", kCommandPath,
                                      "sim/keyboard#vid_0416&pid_7472&mi_03"}));
}

TEST(SimulatedKeyboard, AnswersTheIdentityRequestAndSerialNumber) {
  KeyboardOnBus app;
  auto& keyboard = app.keyboard;
  DeviceHandle& h = app.handle;
  HidReport in{};

  ASSERT_TRUE(h->write(command(0x01)));
  ASSERT_TRUE(h->write(command(0x0D)));
  ASSERT_EQ(h->read(in, kRead), ReadResult::Read);  // the handshake's answer
  EXPECT_EQ(in[1], 0x01);
  ASSERT_EQ(h->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(in[1], 0x0D);
  EXPECT_EQ(textOf(in), "M484,01,KB,JV,KEYBOARD_RGB,0101");
  ASSERT_EQ(h->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(textOf(in), "Jan  7 2020,19:00:16");

  ASSERT_TRUE(h->write(command(0x15)));
  ASSERT_EQ(h->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(textOf(in), "FWK2020010700042");

  HidReport writeSerial = command(0x16);
  writeSerial[5] = 32;
  const std::string serial = "NEW-SERIAL-1";
  std::copy(serial.begin(), serial.end(), writeSerial.begin() + 6);
  ASSERT_TRUE(h->write(writeSerial));
  EXPECT_EQ(h->read(in, 20ms), ReadResult::TimedOut);  // writing the serial is not answered
  EXPECT_EQ(keyboard->serialText(), serial);
  EXPECT_TRUE(keyboard->violations().empty());
}

TEST(SimulatedKeyboard, TakesCommandsOnInterfaceThreeForTwoProducts) {
  SimulatedHidBus bus;
  KeyboardConfig config;
  config.applicationPid = 0x7473;
  auto keyboard = bus.addKeyboard(config);
  DeviceHandle mi3 = openPath(bus, "sim/keyboard#vid_0416&pid_7473&mi_03");
  DeviceHandle mi2 = openPath(bus, "sim/keyboard#vid_0416&pid_7473&mi_02");
  HidReport in{};
  ASSERT_TRUE(mi3->write(command(0x15)));
  EXPECT_EQ(mi3->read(in, kRead), ReadResult::Read);
  ASSERT_TRUE(mi2->write(command(0x15)));
  EXPECT_EQ(mi2->read(in, 20ms), ReadResult::TimedOut);
  ASSERT_EQ(keyboard->violations().size(), 1u);
  EXPECT_NE(keyboard->violations()[0].find("interface 2"), std::string::npos);
}

struct BadReport {
  const char* what;
  HidReport report;
};

void PrintTo(const BadReport& c, std::ostream* os) { *os << c.what; }

HidReport with(HidReport r, std::size_t at, std::uint8_t value) {
  r[at] = value;
  return r;
}

class ApplicationStrictness : public ::testing::TestWithParam<BadReport> {};

TEST_P(ApplicationStrictness, RefusesAndRecords) {
  KeyboardOnBus app;
  auto& keyboard = app.keyboard;
  DeviceHandle& h = app.handle;
  ASSERT_TRUE(h->write(GetParam().report));
  HidReport in{};
  ASSERT_EQ(h->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(in[2], 0x03);
  EXPECT_EQ(keyboard->violations().size(), 1u);
  EXPECT_EQ(keyboard->mode(), KeyboardMode::Application);
  EXPECT_TRUE(keyboard->present());
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ApplicationStrictness,
    ::testing::Values(BadReport{"report id 2", with(command(0x15), 0, 0x02)},
                      BadReport{"unknown command", command(0x42)},
                      BadReport{"byte 3 set", with(command(0x0B), 3, 0x01)},
                      BadReport{"length on a read", with(command(0x15), 5, 32)},
                      BadReport{"write serial length 31", with(command(0x16), 5, 31)},
                      BadReport{"payload on a handshake", with(command(0x01), 6, 0x41)},
                      BadReport{"serial past 32 bytes", with(with(command(0x16), 5, 32), 38, 1)},
                      BadReport{"last byte set", with(command(0x0D), 63, 0x01)}),
    [](const auto& info) { return caseName(info.param.what); });

TEST(SimulatedKeyboard, RestartsInItsBootloaderAndBack) {
  SimulatedHidBus bus;
  NoticeLog notices(bus);
  KeyboardConfig config;
  config.restartDelay = 5ms;
  auto keyboard = bus.addKeyboard(config);
  DeviceHandle app = openPath(bus, kCommandPath);
  EXPECT_EQ(keyboard->productId(), 0x7472);

  ASSERT_TRUE(app->write(command(0x0B)));
  HidReport in{};
  ASSERT_EQ(app->read(in, kRead), ReadResult::Read);  // sent before it left: still readable
  EXPECT_EQ(in[1], 0x0B);
  EXPECT_EQ(in[2], 0x00);
  EXPECT_FALSE(app->write(command(0x15)));             // the old handle is dead
  EXPECT_EQ(app->read(in, kRead), ReadResult::Failed);

  EXPECT_EQ(notices.waitFor(2), (std::vector{DeviceNotice::Removal, DeviceNotice::Arrival}));
  EXPECT_EQ(keyboard->mode(), KeyboardMode::Bootloader);
  EXPECT_EQ(keyboard->productId(), 0x3F01);
  EXPECT_EQ(bus.presentInterfaces(), (std::vector<std::string>{kBootPath}));
  EXPECT_TRUE(keyboard->violations().empty());
}

TEST(SimulatedKeyboard, RefusingTheBootloaderKeepsItsApplication) {
  KeyboardFaults faults;
  faults.enterBootStatus = 3;
  KeyboardOnBus on(faults);
  auto& keyboard = on.keyboard;
  DeviceHandle& app = on.handle;
  ASSERT_TRUE(app->write(command(0x0B)));
  HidReport in{};
  ASSERT_EQ(app->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(in[2], 0x03);
  EXPECT_EQ(keyboard->mode(), KeyboardMode::Application);
  EXPECT_TRUE(app->write(command(0x15)));
}

// The keyboard's own reading of the image packets, built here independently of the program.
HidReport packet(const std::vector<std::uint8_t>& image, int index, std::uint8_t f1 = 100,
                 std::uint8_t f2 = 200) {
  HidReport r = command(0x0C);
  r[3] = static_cast<std::uint8_t>(index >> 8);
  r[4] = static_cast<std::uint8_t>(index);
  const bool last = index == 5461;
  const int payload = last ? 16 : 48;
  r[5] = last ? 0x12 : 0x32;
  for (int k = 0; k < payload; ++k) r[6 + k] = static_cast<std::uint8_t>(~image[index * 48 + k]);
  r[6 + payload] = f1;
  r[7 + payload] = f2;
  return r;
}

HidReport endReport() {
  HidReport r = command(0x0C);
  r[3] = 0xFF;
  r[4] = 0xFF;
  r[5] = 0x32;
  return r;
}

std::vector<std::uint8_t> testImage() {
  std::vector<std::uint8_t> image(0x40000);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 31 + 7);
  const std::string time = "09:30:00", date = "Dec 11 2026",
                    identity = "M484,01,KB,JV,KEYBOARD_RGB,0102";
  std::fill(image.begin() + 0x1FE00, image.begin() + 0x1FE4E, 0);
  std::copy(time.begin(), time.end(), image.begin() + 0x1FE00);
  std::copy(date.begin(), date.end(), image.begin() + 0x1FE0C);
  std::copy(identity.begin(), identity.end(), image.begin() + 0x1FE1C);
  return image;
}

// A keyboard in its bootloader, with a handle open on its one interface.
struct Bootloader : KeyboardOnBus {
  explicit Bootloader(KeyboardFaults faults = {})
      : KeyboardOnBus(std::move(faults), [] {
          KeyboardConfig config;
          config.startMode = KeyboardMode::Bootloader;
          return config;
        }()) {}
};

TEST(SimulatedBootloader, TakesTheWholeImageAndStartsIt) {
  const auto image = testImage();
  Bootloader boot;
  NoticeLog notices(boot.bus);
  for (int i = 0; i < 5462; ++i) ASSERT_EQ(boot.send(packet(image, i, i == 0 ? 0xFF : 1, i == 0 ? 0x00 : 200)), 0) << i;
  ASSERT_TRUE(boot.handle->write(endReport()));

  EXPECT_EQ(boot.keyboard->flash(), image);
  EXPECT_TRUE(boot.keyboard->pairingClearRequested());
  EXPECT_EQ(notices.waitFor(2), (std::vector{DeviceNotice::Removal, DeviceNotice::Arrival}));
  EXPECT_EQ(boot.keyboard->mode(), KeyboardMode::Application);
  EXPECT_EQ(boot.keyboard->identityText(), "M484,01,KB,JV,KEYBOARD_RGB,0102");
  EXPECT_EQ(boot.keyboard->dateTimeText(), "Dec 11 2026,09:30:00");
  EXPECT_EQ(boot.keyboard->serialText(), "");  // gone with the old flash
  EXPECT_EQ(boot.keyboard->completedUpgrades(), 1);
  EXPECT_EQ(boot.keyboard->counters().bootloaderWrites, 5463);
  EXPECT_EQ(boot.keyboard->counters().bootloaderReads, 5462);
  EXPECT_TRUE(boot.keyboard->violations().empty());
}

struct BadPacket {
  const char* what;
  int before;  // good packets sent first
  HidReport report;
};

void PrintTo(const BadPacket& c, std::ostream* os) { *os << c.what; }

class BootloaderStrictness : public ::testing::TestWithParam<BadPacket> {};

TEST_P(BootloaderStrictness, RefusesAndRecords) {
  const auto image = testImage();
  Bootloader boot;
  for (int i = 0; i < GetParam().before; ++i) ASSERT_EQ(boot.send(packet(image, i)), 0);
  EXPECT_EQ(boot.send(GetParam().report), 0x03);
  EXPECT_EQ(boot.keyboard->violations().size(), 1u);
  EXPECT_EQ(boot.keyboard->packetsAccepted(), GetParam().before);
}

const std::vector<std::uint8_t> kImage = testImage();

INSTANTIATE_TEST_SUITE_P(
    Packets, BootloaderStrictness,
    ::testing::Values(BadPacket{"wrong command", 0, with(packet(kImage, 0), 1, 0x0D)},
                      BadPacket{"report id 0", 0, with(packet(kImage, 0), 0, 0x00)},
                      BadPacket{"byte 2 set", 0, with(packet(kImage, 0), 2, 0x01)},
                      BadPacket{"skips a packet", 3, packet(kImage, 4)},
                      BadPacket{"repeats a packet", 3, packet(kImage, 2)},
                      BadPacket{"does not start at 0", 0, packet(kImage, 1)},
                      BadPacket{"beyond the image", 0, with(with(packet(kImage, 0), 3, 0x15), 4, 0x56)},
                      BadPacket{"last length on a full packet", 0, with(packet(kImage, 0), 5, 0x12)},
                      BadPacket{"filler 0", 1, packet(kImage, 1, 0, 5)},
                      BadPacket{"filler 201", 1, packet(kImage, 1, 5, 201)},
                      BadPacket{"marker after packet 0", 1, packet(kImage, 1, 0xFF, 0x00)},
                      BadPacket{"tail byte set", 0, with(packet(kImage, 0), 60, 0x01)}),
    [](const auto& info) { return caseName(info.param.what); });

TEST(SimulatedBootloader, RecordsAnEndReportBeforeTheWholeImage) {
  const auto image = testImage();
  Bootloader boot;
  for (int i = 0; i < 10; ++i) ASSERT_EQ(boot.send(packet(image, i)), 0);
  ASSERT_TRUE(boot.handle->write(endReport()));
  EXPECT_EQ(boot.keyboard->violations().size(), 1u);
  EXPECT_EQ(boot.keyboard->mode(), KeyboardMode::Bootloader);
  EXPECT_TRUE(boot.keyboard->present());
}

TEST(SimulatedBootloader, PacketZeroStartsAgain) {
  const auto image = testImage();
  Bootloader boot;
  for (int i = 0; i < 5; ++i) ASSERT_EQ(boot.send(packet(image, i)), 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(boot.send(packet(image, i)), 0);
  EXPECT_EQ(boot.keyboard->packetsAccepted(), 3);
  EXPECT_TRUE(boot.keyboard->violations().empty());
}

TEST(SimulatedKeyboardFaults, StatusSilenceAndVanishingAtChosenPackets) {
  const auto image = testImage();
  KeyboardFaults faults;
  faults.ackStatusAtPacket[1] = 2;
  faults.silentAtPacket = 2;
  faults.vanishAtPacket = 4;
  Bootloader boot(faults);
  EXPECT_EQ(boot.send(packet(image, 0)), 0);
  EXPECT_EQ(boot.send(packet(image, 1)), 2);
  ASSERT_TRUE(boot.handle->write(packet(image, 2)));
  HidReport ack{};
  EXPECT_EQ(boot.handle->read(ack, 20ms), ReadResult::TimedOut);
  EXPECT_EQ(boot.send(packet(image, 3)), 0);
  EXPECT_FALSE(boot.handle->write(packet(image, 4)));
  EXPECT_FALSE(boot.keyboard->present());
  EXPECT_EQ(boot.handle->read(ack, kRead), ReadResult::Failed);
}

TEST(SimulatedKeyboardFaults, ColonIdentityFirstTimesThenTheRealOne) {
  KeyboardFaults faults;
  faults.colonIdentityAnswers = 2;
  KeyboardOnBus on(faults);
  DeviceHandle& h = on.handle;
  std::vector<bool> colon;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(h->write(command(0x0D)));
    HidReport in{};
    ASSERT_EQ(h->read(in, kRead), ReadResult::Read);
    colon.push_back(textOf(in).find(':') != std::string::npos);
    ASSERT_EQ(h->read(in, kRead), ReadResult::Read);  // the date
  }
  EXPECT_EQ(colon, (std::vector<bool>{true, true, false}));
}

TEST(SimulatedKeyboardFaults, UnterminatedTextsFillTheReport) {
  KeyboardFaults faults;
  faults.unterminatedTexts = true;
  KeyboardOnBus on(faults);
  DeviceHandle& h = on.handle;
  ASSERT_TRUE(h->write(command(0x15)));
  HidReport in{};
  ASSERT_EQ(h->read(in, kRead), ReadResult::Read);
  EXPECT_TRUE(std::none_of(in.begin() + 6, in.end(), [](auto b) { return b == 0; }));
}

TEST(SimulatedKeyboardFaults, GarbageInEveryByteOfTextAnswers) {
  KeyboardFaults faults;
  faults.garbageAnswers = true;
  KeyboardOnBus on(faults);
  DeviceHandle& h = on.handle;
  std::vector<HidReport> answers;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(h->write(command(0x15)));
    HidReport in{};
    ASSERT_EQ(h->read(in, kRead), ReadResult::Read);
    answers.push_back(in);
  }
  // Noise: the answers differ from each other and none is the serial-number answer.
  EXPECT_NE(answers[0], answers[1]);
  for (const HidReport& a : answers) EXPECT_NE(textOf(a), "FWK2020010700042");
}

TEST(SimulatedKeyboardFaults, SlowAnswersAreNotThereBeforeTheirTime) {
  KeyboardConfig config;
  config.answerLatency = 300ms;
  KeyboardOnBus on({}, config);
  DeviceHandle& h = on.handle;
  ASSERT_TRUE(h->write(command(0x15)));
  HidReport in{};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(h->read(in, 10ms), ReadResult::TimedOut);
  EXPECT_EQ(h->read(in, 5s), ReadResult::Read);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

TEST(SimulatedKeyboardFaults, IdentityAndDateOfItsOwnChoosingOrNoDate) {
  KeyboardFaults faults;
  faults.identityAnswer = "NO COMMAS";
  faults.dateAnswer = "Jan  7 2020";
  KeyboardOnBus on(faults);
  ASSERT_TRUE(on.handle->write(command(0x0D)));
  HidReport in{};
  ASSERT_EQ(on.handle->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(textOf(in), "NO COMMAS");
  ASSERT_EQ(on.handle->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(textOf(in), "Jan  7 2020");

  faults.silentDate = true;
  on.keyboard->setFaults(faults);
  ASSERT_TRUE(on.handle->write(command(0x0D)));
  ASSERT_EQ(on.handle->read(in, kRead), ReadResult::Read);
  EXPECT_EQ(textOf(in), "NO COMMAS");
  EXPECT_EQ(on.handle->read(in, 20ms), ReadResult::TimedOut);
}

TEST(SimulatedKeyboardFaults, SlowApplicationAnswersAndOneSlowAcknowledgement) {
  KeyboardFaults faults;
  faults.slowApplicationAnswers = 300ms;
  KeyboardOnBus app(faults);
  ASSERT_TRUE(app.handle->write(command(0x01)));
  HidReport in{};
  EXPECT_EQ(app.handle->read(in, 10ms), ReadResult::TimedOut);
  EXPECT_EQ(app.handle->read(in, 5s), ReadResult::Read);

  KeyboardFaults ackFaults;
  ackFaults.slowAckAtPacket = {{1, 300ms}};
  const auto image = testImage();
  Bootloader boot(ackFaults);
  EXPECT_EQ(boot.send(packet(image, 0, 1, 1)), 0);  // packet 0 at once
  ASSERT_TRUE(boot.handle->write(packet(image, 1, 1, 1)));
  EXPECT_EQ(boot.handle->read(in, 10ms), ReadResult::TimedOut);
  EXPECT_EQ(boot.handle->read(in, 5s), ReadResult::Read);
  EXPECT_TRUE(boot.keyboard->violations().empty());
}

// Waits (bounded) for a condition another thread brings about.
template <typename Condition>
bool eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(SimulatedKeyboardFaults, HoldsAPacketUntilReleasedOrUnplugged) {
  const auto image = testImage();
  KeyboardFaults faults;
  faults.holdAtPacket = 1;
  Bootloader boot(faults);
  EXPECT_EQ(boot.send(packet(image, 0, 1, 1)), 0);
  auto held = std::async(std::launch::async, [&] { return boot.handle->write(packet(image, 1, 1, 1)); });
  ASSERT_TRUE(eventually([&] { return boot.keyboard->holdingPacket(); }));
  EXPECT_EQ(held.wait_for(20ms), std::future_status::timeout);
  EXPECT_EQ(boot.keyboard->interfacePaths().size(), 1u) << "the keyboard answers meanwhile";
  boot.keyboard->releaseHeldPacket();
  EXPECT_TRUE(held.get());
  HidReport ack{};
  ASSERT_EQ(boot.handle->read(ack, 5s), ReadResult::Read);
  EXPECT_EQ(boot.keyboard->packetsAccepted(), 2);
  EXPECT_FALSE(boot.keyboard->holdingPacket());

  faults.holdAtPacket = 0;
  Bootloader pulled(faults);
  auto lost = std::async(std::launch::async, [&] { return pulled.handle->write(packet(image, 0, 1, 1)); });
  ASSERT_TRUE(eventually([&] { return pulled.keyboard->holdingPacket(); }));
  pulled.keyboard->unplug();
  EXPECT_FALSE(lost.get());
  EXPECT_EQ(pulled.keyboard->packetsAccepted(), 0);
}

TEST(SimulatedKeyboard, UnpluggedWhileItRestartsItStaysAway) {
  SimulatedHidBus bus;
  NoticeLog notices(bus);
  std::vector<std::shared_ptr<sim::SimulatedKeyboard>> keyboards;
  std::vector<DeviceHandle> handles;
  for (auto [name, delay] : {std::pair{"first", 50ms}, std::pair{"second", 100ms}}) {
    KeyboardConfig config;
    config.name = name;
    config.restartDelay = delay;
    keyboards.push_back(bus.addKeyboard(config));
    handles.push_back(openPath(bus, "sim/" + std::string(name) + "#vid_0416&pid_7472&mi_02"));
    ASSERT_TRUE(handles.back()->write(command(0x0B)));
  }
  keyboards[0]->unplug();
  // The bus runs what is due in time order: by the second keyboard's return (100 ms), the
  // first one's restart (50 ms) would have arrived.
  EXPECT_EQ(notices.waitFor(3),
            (std::vector{DeviceNotice::Removal, DeviceNotice::Removal, DeviceNotice::Arrival}));
  EXPECT_FALSE(keyboards[0]->present());
  EXPECT_TRUE(keyboards[1]->present());
  keyboards[0]->plugIn();
  EXPECT_EQ(notices.waitFor(4).back(), DeviceNotice::Arrival);
  EXPECT_EQ(keyboards[0]->mode(), KeyboardMode::Application);
}

TEST(SimulatedKeyboardFaults, HookDecidesAboutAnyRequest) {
  KeyboardFaults faults;
  faults.onRequest = [](KeyboardMode, const HidReport& r) {
    return r[1] == 0x15 ? sim::RequestAction::Vanish : sim::RequestAction::Handle;
  };
  KeyboardOnBus on(faults);
  auto& keyboard = on.keyboard;
  DeviceHandle& h = on.handle;
  EXPECT_TRUE(h->write(command(0x01)));
  EXPECT_FALSE(h->write(command(0x15)));
  EXPECT_FALSE(keyboard->present());
  keyboard->plugIn();
  EXPECT_TRUE(keyboard->present());
  EXPECT_EQ(keyboard->mode(), KeyboardMode::Application);
}

TEST(SimulatedHidBus, ListsOtherInterfacesAndRefusesWhatCannotOpen) {
  SimulatedHidBus bus;
  bus.addOtherInterface("other#vid_046d&pid_c52b&mi_00");
  bus.addOtherInterface("locked#vid_0416&pid_3f01", EACCES);
  bus.addKeyboard();
  const auto paths = bus.presentInterfaces();
  ASSERT_TRUE(paths);
  EXPECT_EQ(paths->size(), 6u);
  EXPECT_EQ(paths->front(), "other#vid_046d&pid_c52b&mi_00");

  const OpenResult locked = bus.open("locked#vid_0416&pid_3f01");
  EXPECT_FALSE(locked.device);
  EXPECT_EQ(locked.errorCode, EACCES);
  EXPECT_TRUE(locked.permissionDenied);
  EXPECT_EQ(bus.open("nowhere").errorCode, ENOENT);

  bus.setListingFails(true);
  EXPECT_EQ(bus.presentInterfaces(), std::nullopt);
}

TEST(SimulatedHidBus, AnnouncesOtherDevicesComingAndGoing) {
  SimulatedHidBus bus;
  NoticeLog notices(bus);
  bus.announce(DeviceNotice::Arrival);  // a disk, say
  bus.announce(DeviceNotice::Removal);
  EXPECT_EQ(notices.waitFor(2), (std::vector{DeviceNotice::Arrival, DeviceNotice::Removal}));
}

}  // namespace
