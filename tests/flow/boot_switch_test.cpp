// "Upgrade" on a keyboard in its application: the check against the image, the switch to the
// bootloader, and the wait for it to come back.
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "app/resource_ids.h"
#include "device/hid_commands.h"
#include "support/case_name.h"
#include "support/dialog_harness.h"
#include "upgrade/firmware_image.h"

namespace {

using sim::KeyboardConfig;
using sim::KeyboardFaults;
using sim::KeyboardMode;

constexpr const char* kNuc = "The NUC code is not the same !";
constexpr const char* kType = "The type is not the same, Whether to continue updating ?";
constexpr const char* kCustom = "The custom is not the same !";
constexpr const char* kProduct = "The product type is not the same !";

// The built-in image with another identity text.
std::span<const std::uint8_t, kFirmwareImageSize> imageWithIdentity(const std::string& identity) {
  static std::vector<std::vector<std::uint8_t>> images;  // alive for the whole test program
  const auto builtIn = FirmwareImage();
  std::vector<std::uint8_t>& image = images.emplace_back(builtIn.begin(), builtIn.end());
  std::fill_n(image.begin() + kIdentityTextOffset, kIdentityTextLength, 0);
  std::copy(identity.begin(), identity.end(), image.begin() + kIdentityTextOffset);
  return std::span<const std::uint8_t, kFirmwareImageSize>(image.data(), kFirmwareImageSize);
}

// The dialog with a keyboard in its application, connected; notices are not heard, so the
// flow stops at the wait and each test looks at one step.
struct ConnectedKeyboard {
  DialogHarness h;
  std::shared_ptr<sim::SimulatedKeyboard> keyboard;

  explicit ConnectedKeyboard(KeyboardConfig config = {}, HarnessOptions options = notShownYet())
      : h(withoutNotices(std::move(options))) {
    keyboard = h.bus->addKeyboard(std::move(config));
    h.show();
  }
  static HarnessOptions withoutNotices(HarnessOptions options) {
    options.hearNotices = false;
    return options;
  }
  bool upgradeEnabled() const { return h.dlg->item(IDC_UPGRADE)->isEnabled(); }

  void expectRefusedAndStillOpen() {
    EXPECT_FALSE(h.dlg->m_upgrading);
    EXPECT_FALSE(h.dlg->m_waitingForBoot);
    EXPECT_NE(h.dlg->m_hDevice, nullptr);
    EXPECT_FALSE(h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
    EXPECT_TRUE(upgradeEnabled());
    EXPECT_EQ(keyboard->mode(), KeyboardMode::Application);
    EXPECT_TRUE(keyboard->present());
  }
  void expectWaitingForTheBootloader() {
    EXPECT_TRUE(h.dlg->m_upgrading);
    EXPECT_TRUE(h.dlg->m_waitingForBoot);
    EXPECT_EQ(h.dlg->m_hDevice, nullptr);
    EXPECT_TRUE(h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
    EXPECT_FALSE(upgradeEnabled());
  }
};

struct CheckCase {
  const char* name;
  const char* deviceIdentity;
  const char* imageIdentity;  // null: the built-in image
  bool force;
  bool forceBox;
  int answer;  // to the question
  std::vector<const char*> boxes;
  bool switches;  // the keyboard is sent into its bootloader
};
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CompatibilityCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(CompatibilityCheck, RefusesAsksOrSwitches) {
  const CheckCase& c = GetParam();
  KeyboardConfig config;
  config.identityText = c.deviceIdentity;
  HarnessOptions options = notShownYet();
  if (c.imageIdentity) options.environment.firmware = imageWithIdentity(c.imageIdentity);
  ConnectedKeyboard k(config, options);
  ASSERT_EQ(k.h.text(IDC_STATUS), "Device connected");
  k.h.dlg->m_force = c.force;
  k.h.dlg->setItemCheck(IDC_FORCE, c.forceBox ? BST_CHECKED : BST_UNCHECKED);
  k.h.answer = c.answer;
  const int writesBefore = k.keyboard->counters().applicationWrites;

  k.h.dlg->OnUpgrade();

  ASSERT_EQ(k.h.boxes.size(), c.boxes.size());
  for (std::size_t i = 0; i < c.boxes.size(); ++i) {
    EXPECT_EQ(k.h.boxes[i].text, c.boxes[i]);
    EXPECT_EQ(k.h.boxes[i].caption, "Tip");
    EXPECT_EQ(k.h.boxes[i].type, c.boxes[i] == std::string(kType) ? 260u : 16u);
  }
  if (c.switches) {
    k.expectWaitingForTheBootloader();
    EXPECT_EQ(k.keyboard->counters().applicationWrites, writesBefore + 2);
    EXPECT_TRUE(waitUntil([&] { return k.keyboard->mode() == KeyboardMode::Bootloader; }));
  } else {
    k.expectRefusedAndStillOpen();
    EXPECT_EQ(k.keyboard->counters().applicationWrites, writesBefore);  // nothing was sent
  }
  EXPECT_EQ(k.h.text(IDC_RESULT), "Default");
  EXPECT_TRUE(k.keyboard->violations().empty()) << k.keyboard->violations().front();
}

constexpr const char* kSame = "M484,01,KB,JV,KEYBOARD_RGB,0101";
constexpr bool F = false;
constexpr bool T = true;

INSTANTIATE_TEST_SUITE_P(
    Fields, CompatibilityCheck,
    testing::Values(
        CheckCase{"same identity other version", kSame, nullptr, F, F, IDOK, {}, T},
        CheckCase{"code2 takes no part", "M484,77,KB,JV,KEYBOARD_RGB,0101", nullptr, F, F, IDOK, {}, T},
        CheckCase{"chip differs", "M485,01,KB,JV,KEYBOARD_RGB,0101", nullptr, F, F, IDOK, {kNuc}, F},
        CheckCase{"chip differs with force and box", "M485,01,KB,JV,KEYBOARD_RGB,0101", nullptr, T, T, IDOK, {kNuc}, F},
        CheckCase{"kb is not KB, answer No", "M484,01,kb,JV,KEYBOARD_RGB,0101", nullptr, F, F, IDNO, {kType}, F},
        CheckCase{"type differs, answer No with force", "M484,01,XY,JV,KEYBOARD_RGB,0101", nullptr, T, T, IDNO, {kType}, F},
        CheckCase{"type differs, answer Yes", "M484,01,kb,JV,KEYBOARD_RGB,0101", nullptr, F, F, IDYES, {kType}, T},
        CheckCase{"type Yes, then custom differs", "M484,01,kb,JX,KEYBOARD_RGB,0101", nullptr, F, F, IDYES, {kType, kCustom}, F},
        CheckCase{"custom differs", "M484,01,KB,JX,KEYBOARD_RGB,0101", nullptr, F, F, IDOK, {kCustom}, F},
        CheckCase{"custom differs, the box does not help", "M484,01,KB,JX,KEYBOARD_RGB,0101", nullptr, F, T, IDOK, {kCustom}, F},
        CheckCase{"custom differs, forced", "M484,01,KB,JX,KEYBOARD_RGB,0101", nullptr, T, F, IDOK, {}, T},
        CheckCase{"product differs", "M484,01,KB,JV,KEYBOARD_X,0101", nullptr, F, F, IDOK, {kProduct}, F},
        CheckCase{"product differs, box", "M484,01,KB,JV,KEYBOARD_X,0101", nullptr, F, T, IDOK, {}, T},
        CheckCase{"product differs, forced", "M484,01,KB,JV,KEYBOARD_X,0101", nullptr, T, F, IDOK, {}, T},
        CheckCase{"device never read", "", nullptr, F, F, IDOK, {kNuc}, F},
        CheckCase{"image with fewer fields", kSame, "M484,01,KB", F, F, IDYES, {kType, kCustom}, F},
        CheckCase{"image with fewer fields, forced", kSame, "M484,01,KB", T, T, IDYES, {kType}, T},
        CheckCase{"both with fewer fields", "M484,01,KB", "M484,01,KB", F, F, IDOK, {}, T}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(BootSwitch, RefusedByTheKeyboardShowsErrorCode106AndKeepsItOpen) {
  ConnectedKeyboard k;
  KeyboardFaults faults;
  faults.enterBootStatus = 3;
  k.keyboard->setFaults(faults);

  k.h.dlg->OnUpgrade();
  ASSERT_EQ(k.h.boxTexts(), std::vector<std::string>{"Upgrade failed ! ErrorCode[106]"});
  EXPECT_EQ(k.h.boxes[0].type, 16u);
  k.expectRefusedAndStillOpen();

  // The operator can try again at once, on the same handle.
  k.h.dlg->OnUpgrade();
  EXPECT_EQ(k.h.boxes.size(), 2u);
  EXPECT_EQ(k.keyboard->counters().applicationWrites, 3 + 2 + 2);
  EXPECT_TRUE(k.keyboard->violations().empty()) << k.keyboard->violations().front();
}

TEST(BootSwitch, AnyOtherStatusOrNoAnswerStartsTheWait) {
  for (int status : {0, 1, 2, -1}) {
    ConnectedKeyboard k;
    KeyboardFaults faults;
    if (status >= 0) faults.enterBootStatus = static_cast<std::uint8_t>(status);
    else faults.silentCommands = {CMD_ENTER_BOOT};
    k.keyboard->setFaults(faults);

    qobject_cast<QPushButton*>(k.h.dlg->item(IDC_UPGRADE))->click();
    SCOPED_TRACE(status);
    EXPECT_TRUE(k.h.boxes.empty());
    k.expectWaitingForTheBootloader();
    EXPECT_EQ(k.keyboard->openHandles(), 0);
  }
}

TEST(BootSwitch, TwoPressesInARowStartOneUpgrade) {
  ConnectedKeyboard k;
  auto* button = qobject_cast<QPushButton*>(k.h.dlg->item(IDC_UPGRADE));
  k.h.dlg->OnUpgrade();
  const int writes = k.keyboard->counters().applicationWrites;
  k.h.dlg->OnUpgrade();  // the button is disabled; the Enter key could still call it
  button->click();
  EXPECT_EQ(k.keyboard->counters().applicationWrites, writes);
  EXPECT_TRUE(k.h.boxes.empty());
}

TEST(BootSwitch, TheWaitTimesOutOnItsFortiethTickAndAgainNextTime) {
  ConnectedKeyboard k;
  KeyboardFaults faults;
  faults.silentCommands = {CMD_ENTER_BOOT};  // it never restarts
  k.keyboard->setFaults(faults);
  const int timeoutTicks = k.h.dlg->m_environment.timing.bootWaitTimeoutTicks;
  ASSERT_EQ(timeoutTicks, 40);

  for (int wait = 1; wait <= 2; ++wait) {
    SCOPED_TRACE(wait);
    k.h.dlg->OnUpgrade();
    k.expectWaitingForTheBootloader();
    ASSERT_TRUE(waitUntil([&] { return k.h.boxes.size() == static_cast<std::size_t>(wait); }));
    EXPECT_EQ(k.h.boxes.back(), (MessageBoxRequest{"Time out !", "Tip", 16}));
    EXPECT_EQ(k.h.tracedCount("OnTimer Runing [1234]"), wait * timeoutTicks);
    EXPECT_FALSE(k.h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
    EXPECT_FALSE(k.h.dlg->m_waitingForBoot);
    // The operator has the button back, and the next wait counts from zero.
    EXPECT_FALSE(k.h.dlg->m_upgrading);
    EXPECT_TRUE(k.upgradeEnabled());
    EXPECT_EQ(k.h.dlg->m_bootWaitTicks, 0);

    k.h.dlg->ScanDevices(k.h.dlg->m_strVid, k.h.dlg->m_strPid);  // as the Lock box would
    ASSERT_EQ(k.h.text(IDC_STATUS), "Device connected");
  }
}

TEST(BootSwitch, ABootloaderFoundAfterTheThirtyNinthTickIsUpgradedWithoutATimeOut) {
  ConnectedKeyboard k;
  KeyboardFaults faults;
  faults.silentCommands = {CMD_ENTER_BOOT};
  k.keyboard->setFaults(faults);

  k.h.dlg->OnUpgrade();
  k.h.dlg->m_bootWaitTicks = 39;  // one tick left
  k.keyboard->unplug();
  k.keyboard->plugIn(KeyboardMode::Bootloader);
  k.h.dlg->OnDeviceArrival();

  EXPECT_EQ(k.h.text(IDC_STATUS), "Into boot");
  EXPECT_FALSE(k.h.dlg->m_waitingForBoot);
  EXPECT_FALSE(k.h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
  EXPECT_EQ(k.h.dlg->m_bootWaitTicks, 0);
  ASSERT_TRUE(k.h.awaitIdle());
  EXPECT_EQ(k.keyboard->completedUpgrades(), 1);
  EXPECT_TRUE(k.h.boxes.empty());
}

TEST(BootSwitch, ABootloaderThatCannotBeOpenedReleasesTheFlow) {
  ConnectedKeyboard k;
  KeyboardFaults faults;
  faults.silentCommands = {CMD_ENTER_BOOT};
  k.keyboard->setFaults(faults);
  k.h.dlg->OnUpgrade();
  k.expectWaitingForTheBootloader();

  k.keyboard->unplug();
  k.h.bus->addOtherInterface("locked#vid_0416&pid_3f01", EACCES);
  k.h.dlg->OnDeviceArrival();

  EXPECT_EQ(k.h.text(IDC_STATUS), "Into boot");
  EXPECT_EQ(k.h.boxTexts(), std::vector<std::string>{"Open device failed !"});
  EXPECT_FALSE(k.h.dlg->m_upgrading);
  EXPECT_FALSE(k.h.dlg->m_waitingForBoot);
  EXPECT_FALSE(k.h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
  EXPECT_TRUE(k.upgradeEnabled());
}

TEST(BootSwitch, ARefusedUpgradeIsNotStartedByABootloaderThatShowsUpLater) {
  ConnectedKeyboard k({}, [] {
    HarnessOptions options = notShownYet();
    options.environment.firmware = imageWithIdentity("M999,01,KB,JV,KEYBOARD_RGB,0102");
    return options;
  }());
  k.h.dlg->OnUpgrade();
  ASSERT_EQ(k.h.boxTexts(), std::vector<std::string>{kNuc});

  k.keyboard->unplug();
  auto boot = k.h.addBootloader();
  k.h.dlg->OnDeviceArrival();
  EXPECT_EQ(k.h.text(IDC_STATUS), "Into boot");
  EXPECT_FALSE(k.h.dlg->IsUpgradeWorkerRunning());
  EXPECT_EQ(boot->counters().bootloaderWrites, 0);
}

// Message boxes run nested loops: notices are handled while the question is open.
TEST(BootSwitch, TheKeyboardReopenedDuringTheQuestionIsTheOneSwitched) {
  KeyboardConfig config;
  config.identityText = "M484,01,kb,JV,KEYBOARD_RGB,0101";
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard(config);
  h.show();
  ASSERT_EQ(h.text(IDC_STATUS), "Device connected");
  ASSERT_EQ(keyboard->counters().applicationWrites, 3);

  h.respond = [&](const MessageBoxRequest&) {
    keyboard->unplug();  // every handle on it goes stale
    EXPECT_TRUE(waitUntil([&] { return h.dlg->m_hDevice == nullptr; }));
    keyboard->plugIn();
    EXPECT_TRUE(waitUntil([&] { return h.text(IDC_STATUS) == "Device connected"; }));
    EXPECT_EQ(keyboard->counters().applicationWrites, 6);  // read again on a new handle
    EXPECT_EQ(keyboard->openHandles(), 1);
    return IDYES;
  };
  h.dlg->OnUpgrade();

  // The upgrade went on with the handle the nested scan opened, to the end.
  ASSERT_TRUE(h.awaitBackFromUpgrade(*keyboard));
  EXPECT_EQ(h.text(IDC_RESULT), "Success");
  EXPECT_EQ(h.boxTexts(), std::vector<std::string>{kType});
  EXPECT_EQ(keyboard->serialText(), "FWK2020010700042");
  EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
}

TEST(BootSwitch, AKeyboardGoneDuringTheQuestionEndsTheUpgradeQuietly) {
  KeyboardConfig config;
  config.identityText = "M484,01,kb,JV,KEYBOARD_RGB,0101";
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard(config);
  h.show();
  h.respond = [&](const MessageBoxRequest&) {
    keyboard->unplug();
    EXPECT_TRUE(waitUntil([&] { return h.dlg->m_hDevice == nullptr; }));
    return IDYES;
  };
  h.dlg->OnUpgrade();

  EXPECT_TRUE(h.traced("went away before the upgrade began"));
  EXPECT_FALSE(h.dlg->m_upgrading);
  EXPECT_FALSE(h.dlg->m_waitingForBoot);
  EXPECT_FALSE(h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
  EXPECT_TRUE(h.dlg->item(IDC_UPGRADE)->isEnabled());
  EXPECT_EQ(h.text(IDC_STATUS), "Default");
}

}  // namespace
