// The whole upgrade as the operator lives it: the keyboard found at start, "Upgrade", its
// restart into the bootloader, the transfer, its restart into the new firmware and the serial
// number written back, driven only by the dialog's handlers and the keyboard's notices.
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

#include "app/resource_ids.h"
#include "device/hid_commands.h"
#include "support/case_name.h"
#include "support/dialog_harness.h"
#include "upgrade/firmware_image.h"

namespace {

using sim::KeyboardFaults;
using sim::KeyboardMode;
using sim::RequestAction;

constexpr const char* kSerial = "FWK2020010700042";

void pressUpgrade(CFerrowindDlg& dlg) {
  qobject_cast<QPushButton*>(dlg.item(IDC_UPGRADE))->click();
}

TEST(UpgradeCycle, FromUpgradeToTheSecondSuccessWithTheSerialNumberRestored) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();

  // Found at start-up.
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  EXPECT_EQ(h.text(IDC_FW_INFO), "M48401KBJV,KEYBOARD_RGB");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0101 --- 2020/1/7 19:00:16");
  EXPECT_EQ(h.dlg->m_strSerial, kSerial);
  EXPECT_TRUE(h.dlg->m_connected);

  pressUpgrade(*h.dlg);
  EXPECT_TRUE(h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
  EXPECT_FALSE(h.dlg->item(IDC_UPGRADE)->isEnabled());
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);

  // Into the bootloader, through the transfer, and back.
  ASSERT_TRUE(h.awaitBackFromUpgrade(*keyboard));
  EXPECT_EQ(h.text(IDC_RESULT), "Success");

  EXPECT_TRUE(h.traced("找到进入升级模式后的vid"));
  EXPECT_TRUE(h.traced("SN序列号写入设备 -> 成功"));
  EXPECT_TRUE(h.boxes.empty());
  EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
  EXPECT_EQ(keyboard->serialText(), kSerial);
  EXPECT_EQ(keyboard->mode(), KeyboardMode::Application);
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0102 --- 2026/12/11 09:30:00");
  EXPECT_EQ(h.text(IDC_SUCCESS_COUNT), "1");
  EXPECT_TRUE(h.dlg->m_lastOk);
  EXPECT_FALSE(h.dlg->m_restoreSerial);
  EXPECT_FALSE(h.dlg->m_waitingForBoot);
  EXPECT_FALSE(h.dlg->isDialogTimerRunning(IDT_BOOT_WAIT));
  EXPECT_NE(h.dlg->m_hDevice, nullptr);
  EXPECT_TRUE(h.dlg->item(IDC_UPGRADE)->isEnabled());
}

// Records every serial number the keyboard is told to keep.
struct SerialWrites {
  std::mutex mutex;
  std::vector<std::string> texts;
  std::vector<std::string> all() {
    std::lock_guard lock(mutex);
    return texts;
  }
};

KeyboardFaults recordingSerialWrites(const std::shared_ptr<SerialWrites>& writes,
                                     RequestAction action = RequestAction::Handle) {
  KeyboardFaults faults;
  faults.onRequest = [writes, action](KeyboardMode mode, const HidReport& report) {
    if (mode != KeyboardMode::Application || report[1] != CMD_WRITE_SN) return RequestAction::Handle;
    std::lock_guard lock(writes->mutex);
    writes->texts.emplace_back(reinterpret_cast<const char*>(report.data() + 6),
                               strnlen(reinterpret_cast<const char*>(report.data() + 6), 58));
    return action;
  };
  return faults;
}

TEST(UpgradeCycle, AfterAFailedTransferTheSerialNumberGoesBackButTheResultSaysFailed) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();
  auto writes = std::make_shared<SerialWrites>();
  KeyboardFaults faults = recordingSerialWrites(writes);
  faults.ackStatusAtPacket = {{100, 1}};
  keyboard->setFaults(faults);

  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());
  ASSERT_TRUE(waitUntil([&] { return h.boxes.size() == 1; }));
  EXPECT_EQ(h.boxes[0].text, "Upgrade failed ! ErrorCode[102]");
  EXPECT_TRUE(h.dlg->m_restoreSerial);

  // The operator restarts the keyboard into its old firmware.
  keyboard->unplug();
  keyboard->plugIn(KeyboardMode::Application);
  ASSERT_TRUE(waitUntil([&] { return !h.dlg->m_restoreSerial && h.text(IDC_STATUS) == "Device connected"; }));
  EXPECT_EQ(writes->all(), std::vector<std::string>{kSerial});
  EXPECT_EQ(h.text(IDC_RESULT), "Failed");
  EXPECT_FALSE(h.dlg->m_lastOk);
  EXPECT_EQ(h.boxes.size(), 1u);
  EXPECT_EQ(h.text(IDC_FAIL_COUNT), "1");
}

TEST(UpgradeCycle, ASerialNumberWriteBackThatFailsIsNeverASuccessAndIsTriedAgain) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();
  auto writes = std::make_shared<SerialWrites>();
  keyboard->setFaults(recordingSerialWrites(writes, RequestAction::Refuse));
  std::string resultWhenTold;
  h.respond = [&](const MessageBoxRequest&) {
    resultWhenTold = h.text(IDC_RESULT);
    return IDOK;
  };

  h.dlg->OnUpgrade();
  ASSERT_TRUE(waitUntil([&] { return keyboard->completedUpgrades() == 1 && h.boxes.size() == 1; }));
  EXPECT_EQ(writes->all().size(), 1u);
  EXPECT_EQ(h.boxes[0], (MessageBoxRequest{"Serial number write-back failed !", "Tip", 16}));
  EXPECT_EQ(resultWhenTold, "Failed");
  EXPECT_EQ(h.text(IDC_RESULT), "Failed");
  EXPECT_FALSE(h.dlg->m_lastOk);
  EXPECT_TRUE(h.traced("SN序列号写入设备 -> 失败"));
  EXPECT_EQ(keyboard->serialText(), "");

  // The keyboard's next connection writes the serial number again, and now it takes.
  EXPECT_TRUE(h.dlg->m_restoreSerial);
  keyboard->setFaults(recordingSerialWrites(writes));
  h.bus->announce(DeviceNotice::Arrival);
  ASSERT_TRUE(h.awaitBackFromUpgrade(*keyboard));
  EXPECT_EQ(writes->all(), (std::vector<std::string>{kSerial, kSerial}));
  EXPECT_EQ(keyboard->serialText(), kSerial);
  EXPECT_EQ(h.text(IDC_RESULT), "Success");
  EXPECT_EQ(h.boxes.size(), 1u);
}

struct SerialCase {
  const char* name;
  std::string serial;
  std::vector<std::string> written;
};
void PrintTo(const SerialCase& c, std::ostream* os) { *os << c.name; }

class SerialWriteBack : public testing::TestWithParam<SerialCase> {};

TEST_P(SerialWriteBack, WritesBackAtMostThirtyTwoBytesAndNothingForAnEmptySerial) {
  DialogHarness h(notShownYet());
  sim::KeyboardConfig config;
  config.serialText = GetParam().serial;
  auto keyboard = h.bus->addKeyboard(config);
  h.show();
  auto writes = std::make_shared<SerialWrites>();
  keyboard->setFaults(recordingSerialWrites(writes));

  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitBackFromUpgrade(*keyboard));
  EXPECT_EQ(writes->all(), GetParam().written);
  EXPECT_EQ(h.text(IDC_RESULT), "Success");
  EXPECT_TRUE(h.boxes.empty());
  EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
}

INSTANTIATE_TEST_SUITE_P(
    Serials, SerialWriteBack,
    testing::Values(
        SerialCase{"empty", "", {}},
        SerialCase{"thirty two", std::string(32, '7'), {std::string(32, '7')}},
        SerialCase{"forty", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd",
                   {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"}}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(UpgradeCycle, AutomaticUpgradeFollowsAnOrdinaryConnectionButNotTheReturnFromAnUpgrade) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();
  h.dlg->setItemCheck(IDC_AUTO_UPGRADE, BST_CHECKED);

  h.bus->announce(DeviceNotice::Arrival);  // any device arriving rescans
  ASSERT_TRUE(h.awaitBackFromUpgrade(*keyboard));
  // The exchange that wrote the serial number back has ended without starting another upgrade.
  EXPECT_FALSE(h.dlg->m_upgrading);
  EXPECT_FALSE(h.dlg->m_waitingForBoot);
  EXPECT_EQ(keyboard->mode(), KeyboardMode::Application);
  EXPECT_EQ(h.text(IDC_RESULT), "Success");

  // The next ordinary connection upgrades again.
  h.bus->announce(DeviceNotice::Arrival);
  ASSERT_TRUE(h.awaitBackFromUpgrade(*keyboard, 2));
  EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
}

}  // namespace
