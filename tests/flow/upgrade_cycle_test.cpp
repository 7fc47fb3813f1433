// The whole upgrade as the operator lives it: the keyboard found at start, "Upgrade", its
// restart into the bootloader, the transfer, its restart into the new firmware and the serial
// number written back, driven only by the dialog's handlers and the keyboard's notices.
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "support/dialog_harness.h"
#include "upgrade/firmware_image.h"

namespace {

using sim::KeyboardFaults;
using sim::KeyboardMode;
using sim::RequestAction;

constexpr const char* kSerial = "FWK2020010700042";

HarnessOptions notShownYet() {
  HarnessOptions options;
  options.showNow = false;
  return options;
}

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
  ASSERT_TRUE(waitUntil([&] { return keyboard->completedUpgrades() == 1; }, std::chrono::seconds(120)));
  ASSERT_TRUE(waitUntil([&] { return h.text(IDC_STATUS) == "Device connected" && h.text(IDC_RESULT) == "Success"; }));
  ASSERT_TRUE(h.awaitIdle());

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

}  // namespace
