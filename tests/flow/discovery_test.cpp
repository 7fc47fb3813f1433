// Finding the keyboard: which interface is opened, which are walked past, and what the
// dialog shows for each outcome.
#include <gtest/gtest.h>

#include <cerrno>

#include "app/resource_ids.h"
#include "support/dialog_harness.h"

namespace {

using sim::KeyboardConfig;
using sim::KeyboardMode;

KeyboardConfig named(const char* name) {
  KeyboardConfig config;
  config.name = name;
  return config;
}

KeyboardConfig bootloaderNamed(const char* name) {
  KeyboardConfig config = named(name);
  config.startMode = KeyboardMode::Bootloader;
  return config;
}

void expectPlaceholders(const DialogHarness& h) {
  EXPECT_EQ(h.text(IDC_FW_INFO), "0000-000-000-000");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0000 --- 0000-00-00 00:00:00");
}

TEST(Discovery, TheFirstCommandInterfaceThatOpensIsUsedAndNoOtherIsLookedAt) {
  DialogHarness h(notShownYet());
  auto first = h.bus->addKeyboard(named("first"));
  KeyboardConfig secondConfig = named("second");
  secondConfig.identityText = "M484,01,KB,JV,KEYBOARD_RGB,0199";
  auto second = h.bus->addKeyboard(secondConfig);
  h.show();

  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0101 --- 2020/1/7 19:00:16");
  EXPECT_TRUE(h.dlg->m_connected);
  EXPECT_NE(h.dlg->m_hDevice, nullptr);
  EXPECT_EQ(first->openHandles(), 1);
  EXPECT_EQ(second->openHandles(), 0);
  EXPECT_EQ(second->counters().applicationWrites, 0);
  EXPECT_TRUE(first->violations().empty()) << first->violations().front();
  EXPECT_TRUE(h.boxes.empty());
}

TEST(Discovery, AKeyboardInItsBootloaderMetFirstEndsTheScan) {
  DialogHarness h(notShownYet());
  auto boot = h.bus->addKeyboard(bootloaderNamed("boot"));
  auto application = h.bus->addKeyboard(named("application"));
  h.show();

  EXPECT_EQ(h.text(IDC_STATUS), "Into boot");
  EXPECT_TRUE(h.dlg->m_connected);
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);
  EXPECT_EQ(application->openHandles(), 0);
  EXPECT_EQ(application->counters().applicationWrites, 0);
  expectPlaceholders(h);
  // Nobody waited for it and automatic upgrade is off: nothing more happens.
  EXPECT_FALSE(h.dlg->m_upgrading);
  EXPECT_FALSE(h.dlg->IsUpgradeWorkerRunning());
  EXPECT_EQ(boot->counters().bootloaderWrites, 0);
  EXPECT_TRUE(h.traced("找到进入升级模式后的vid"));
}

TEST(Discovery, Products7473And7474TakeCommandsOnInterfaceThreeWhateverThePidText) {
  for (std::uint16_t pid : {0x7473, 0x7474}) {
    DialogHarness h(notShownYet());
    KeyboardConfig config;
    config.applicationPid = pid;
    auto keyboard = h.bus->addKeyboard(config);
    h.show();  // the build's PID text is 0x7472

    EXPECT_EQ(h.dlg->m_strPid, "0x7472");
    EXPECT_EQ(h.text(IDC_STATUS), "Device connected") << std::hex << pid;
    EXPECT_EQ(keyboard->openHandles(), 1);
    // Interface 2 took nothing: a report written there would be a violation.
    EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
  }
}

TEST(Discovery, WalksPastInterfacesThatAreNotTheCommandInterface) {
  DialogHarness h(notShownYet());
  h.bus->addOtherInterface("other/a#vid_0416&pid_7472&mi_00");
  h.bus->addOtherInterface("other/b#vid_1234&pid_7472&mi_02");
  h.bus->addOtherInterface("other/c#VID_0416&PID_7472&MI_02");  // keys are searched as written
  h.bus->addOtherInterface("other/d#vid_0416&pid_7475&mi_02");
  h.bus->addOtherInterface("other/e#vid_0416&pid_7473&mi_02");
  auto keyboard = h.bus->addKeyboard();
  h.show();

  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  EXPECT_EQ(h.bus->writesToOtherInterfaces(), 0);
  EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
}

TEST(Discovery, AnInterfaceThatWillNotOpenShowsFailed01AndALaterOneStillConnects) {
  {
    DialogHarness h(notShownYet());
    h.bus->addOtherInterface("locked#vid_0416&pid_7472&mi_02", EACCES);
    h.show();
    EXPECT_EQ(h.text(IDC_STATUS), "Failed 01");
    EXPECT_FALSE(h.dlg->m_connected);
    EXPECT_EQ(h.dlg->m_hDevice, nullptr);
    EXPECT_TRUE(h.boxes.empty());
    EXPECT_TRUE(h.traced("permission denied: this user may not open"));
    EXPECT_TRUE(h.traced("install the udev rule 70-ferrowind.rules"));
    expectPlaceholders(h);
  }
  {
    DialogHarness h(notShownYet());
    h.bus->addOtherInterface("locked#vid_0416&pid_7472&mi_02", EACCES);
    auto keyboard = h.bus->addKeyboard();
    h.show();
    EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
    EXPECT_TRUE(h.dlg->m_connected);
    EXPECT_TRUE(h.traced("open failed: locked#vid_0416&pid_7472&mi_02"));
  }
}

TEST(Discovery, TheBootVidAloneNeverOpensAKeyboardButFindsItsBootloader) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();
  ASSERT_EQ(h.text(IDC_STATUS), "Device connected");
  const int writes = keyboard->counters().applicationWrites;

  // Texts as the Lock box would pass them after the operator typed another VID.
  h.dlg->ScanDevices("0x1234", "0x7472");
  EXPECT_EQ(keyboard->counters().applicationWrites, writes);
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");  // nothing matched: the status stays
  expectPlaceholders(h);

  auto boot = h.bus->addKeyboard(bootloaderNamed("boot"));
  h.dlg->ScanDevices("0x1234", "0x7472");
  EXPECT_EQ(h.text(IDC_STATUS), "Into boot");
}

TEST(Discovery, CapitalHexDigitsInPathsMatchTheTexts) {
  DialogHarness h(notShownYet());
  KeyboardConfig config = bootloaderNamed("boot");
  config.upperCaseHexInPaths = true;  // "pid_3F01"
  h.bus->addKeyboard(config);
  h.show();
  EXPECT_EQ(h.text(IDC_STATUS), "Into boot");
}

TEST(Discovery, NothingMatchingLeavesTheStatusAndShowsPlaceholders) {
  HarnessOptions options = notShownYet();
  options.hearNotices = false;  // the unplugging below must not reset the display
  DialogHarness h(options);
  auto keyboard = h.bus->addKeyboard();
  h.show();
  ASSERT_EQ(h.text(IDC_STATUS), "Device connected");

  keyboard->unplug();
  h.dlg->ScanDevices(h.dlg->m_strVid, h.dlg->m_strPid);
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  EXPECT_TRUE(h.dlg->m_connected);
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);
  expectPlaceholders(h);
  EXPECT_TRUE(h.boxes.empty());
}

TEST(Discovery, AListThatCannotBeHadShowsItsBox) {
  DialogHarness h(notShownYet());
  h.bus->addKeyboard();
  h.bus->setListingFails(true);
  h.show();
  ASSERT_EQ(h.boxes.size(), 1u);
  EXPECT_EQ(h.boxes[0], (MessageBoxRequest{"Get device info rrror !", "Tip", 16}));
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);
  EXPECT_EQ(h.text(IDC_STATUS), "Default");
  expectPlaceholders(h);
}

TEST(Discovery, ScanningAgainClosesReopensAndRereadsTheKeyboard) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();
  const int writes = keyboard->counters().applicationWrites;
  ASSERT_EQ(writes, 3);  // handshake, identity, serial number

  h.dlg->ScanDevices(h.dlg->m_strVid, h.dlg->m_strPid);
  EXPECT_EQ(keyboard->counters().applicationWrites, 2 * writes);
  EXPECT_EQ(keyboard->openHandles(), 1);
  EXPECT_NE(h.dlg->m_hDevice.get(), nullptr);
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
}

TEST(Discovery, ABootloaderFoundWithAutomaticUpgradeIsUpgraded) {
  HarnessOptions options = notShownYet();
  options.hearNotices = false;
  DialogHarness h(options);
  h.show();
  auto boot = h.addBootloader();
  h.dlg->setItemCheck(IDC_AUTO_UPGRADE, BST_CHECKED);

  h.dlg->ScanDevices(h.dlg->m_strVid, h.dlg->m_strPid);
  ASSERT_TRUE(h.awaitIdle());
  EXPECT_EQ(boot->completedUpgrades(), 1);
  EXPECT_EQ(h.text(IDC_RESULT), "Success");
  EXPECT_TRUE(boot->violations().empty()) << boot->violations().front();
}

}  // namespace
