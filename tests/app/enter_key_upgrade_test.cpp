// The whole cycle started and followed without a click: Enter on the dialog's window.
#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "support/dialog_harness.h"
#include "support/window_keys.h"

namespace {

TEST(EnterKeyUpgrade, UpgradesTheConnectedKeyboardToSuccess) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  const std::string serial = keyboard->serialText();
  h.show();
  ASSERT_EQ(h.text(IDC_STATUS), "Device connected");

  typeKey(*h.dlg, IDC_UPGRADE, Qt::Key_Return);
  // Enter again while the upgrade runs starts nothing more.
  ASSERT_TRUE(waitUntil([&] { return h.dlg->IsUpgradeWorkerRunning(); }));
  typeKey(*h.dlg, IDC_UPGRADE, Qt::Key_Return);

  ASSERT_TRUE(h.awaitBackFromUpgrade(*keyboard));
  EXPECT_EQ(h.tracedCount("Enter Runing"), 1);
  EXPECT_EQ(h.text(IDC_RESULT), "Success");
  EXPECT_EQ(h.dlg->item(IDC_RESULT)->palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_EQ(h.text(IDC_SUCCESS_COUNT), "1");
  EXPECT_EQ(keyboard->serialText(), serial);
  EXPECT_TRUE(keyboard->violations().empty());
  EXPECT_TRUE(h.dlg->isVisible());
  EXPECT_TRUE(h.boxes.empty());
}

}  // namespace
