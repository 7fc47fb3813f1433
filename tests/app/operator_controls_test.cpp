// What the operator sees: each label state in its colour, as drawn; the Lock box freeing the
// VID and PID edits and scanning with what was typed; the icon of the minimised window.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <ostream>
#include <string>

#include "app/resource_ids.h"
#include "app/status_display.h"
#include "support/case_name.h"
#include "support/dialog_harness.h"
#include "support/window_keys.h"

namespace {

const QColor kRed(200, 0, 0);
const QColor kGreen(0, 128, 0);

// Does the label, drawn as it would be on screen, show any pixel of this colour?
bool drawsColor(QWidget* label, const QColor& color) {
  const QImage image = label->grab().toImage();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).rgb() == color.rgb()) return true;
  return false;
}

struct ColorCase {
  const char* name;
  std::function<void(DialogHarness&)> bringAbout;  // from a dialog not shown yet
  int id;
  std::string text;
  QColor color;
};
void PrintTo(const ColorCase& c, std::ostream* os) { *os << c.name; }

sim::KeyboardFaults nakAtPacket7() {
  sim::KeyboardFaults faults;
  faults.ackStatusAtPacket = {{7, 1}};
  return faults;
}

void upgradeABootloader(DialogHarness& h, sim::KeyboardFaults faults) {
  auto keyboard = h.addBootloader();
  keyboard->setFaults(std::move(faults));
  h.show();
  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.awaitIdle());
}

class LabelStates : public testing::TestWithParam<ColorCase> {};

TEST_P(LabelStates, ShowInTheirColours) {
  const ColorCase& c = GetParam();
  HarnessOptions options = notShownYet();
  options.hearNotices = false;
  DialogHarness h(std::move(options));
  c.bringAbout(h);

  ASSERT_EQ(h.text(c.id), c.text);
  QWidget* label = h.dlg->item(c.id);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), c.color);
  EXPECT_TRUE(drawsColor(label, c.color)) << "the text is not drawn in its colour";
  const QColor other = c.color == kRed ? kGreen : kRed;
  EXPECT_FALSE(drawsColor(label, other));
}

INSTANTIATE_TEST_SUITE_P(
    DisplayContract, LabelStates,
    testing::Values(
        ColorCase{"status at start", [](DialogHarness& h) { h.show(); }, IDC_STATUS, "Default", kRed},
        ColorCase{"result at start", [](DialogHarness& h) { h.show(); }, IDC_RESULT, "Default", kRed},
        ColorCase{"hidden success counter at start", [](DialogHarness& h) { h.show(); },
                  IDC_SUCCESS_COUNT, "0", kGreen},
        ColorCase{"hidden failure counter at start", [](DialogHarness& h) { h.show(); },
                  IDC_FAIL_COUNT, "0", kRed},
        ColorCase{"status connected",
                  [](DialogHarness& h) {
                    h.bus->addKeyboard();
                    h.show();
                  },
                  IDC_STATUS, "Device connected", kGreen},
        ColorCase{"status failed to open",
                  [](DialogHarness& h) {
                    h.bus->addOtherInterface("locked#vid_0416&pid_7472&mi_02", EACCES);
                    h.show();
                  },
                  IDC_STATUS, "Failed 01", kRed},
        ColorCase{"status in the bootloader",
                  [](DialogHarness& h) {
                    h.addBootloader();
                    h.show();
                  },
                  IDC_STATUS, "Into boot", kGreen},
        ColorCase{"result after a transfer", [](DialogHarness& h) { upgradeABootloader(h, {}); },
                  IDC_RESULT, "Success", kGreen},
        ColorCase{"success counter after a transfer",
                  [](DialogHarness& h) { upgradeABootloader(h, {}); }, IDC_SUCCESS_COUNT, "1", kGreen},
        ColorCase{"result after a failed transfer",
                  [](DialogHarness& h) { upgradeABootloader(h, nakAtPacket7()); },
                  IDC_RESULT, "Failed", kRed},
        ColorCase{"failure counter after a failed transfer",
                  [](DialogHarness& h) { upgradeABootloader(h, nakAtPacket7()); },
                  IDC_FAIL_COUNT, "1", kRed},
        ColorCase{"result back to Default when an upgrade starts",
                  [](DialogHarness& h) {
                    upgradeABootloader(h, {});
                    h.dlg->OnUpgrade();  // the keyboard is back in its application: not found
                  },
                  IDC_RESULT, "Default", kRed}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(LabelColours, OtherLabelsKeepTheDialogsColour) {
  DialogHarness h(notShownYet());
  h.bus->addKeyboard();
  h.show();
  const QColor normal = h.dlg->palette().color(QPalette::WindowText);
  for (int id : {IDC_FW_INFO, IDC_FW_VERSION})
    EXPECT_EQ(h.dlg->item(id)->palette().color(QPalette::WindowText), normal) << id;
}

// The dialog connected to a keyboard, with the Lock box freed as the hot key frees it.
struct LockBox : testing::Test {
  DialogHarness h{notShownYet()};
  std::shared_ptr<sim::SimulatedKeyboard> keyboard = h.bus->addKeyboard();
  QCheckBox* lock = nullptr;

  LockBox() {
    h.show();
    lock = qobject_cast<QCheckBox*>(h.dlg->item(IDC_LOCK));
    typeKey(*h.dlg, IDC_UPGRADE, Qt::Key_C, kCtrlShiftAlt);
  }
  void click() { QTest::mouseClick(lock, Qt::LeftButton); }
  void typeInto(int id, const std::string& text) {
    h.dlg->item(id)->setFocus();
    QTest::keyClick(h.dlg->windowHandle(), Qt::Key_A, Qt::ControlModifier);  // select all
    for (char c : text) QTest::keyClick(h.dlg->windowHandle(), c);
  }
  bool editsEnabled() const {
    return h.dlg->item(IDC_VID)->isEnabled() && h.dlg->item(IDC_PID)->isEnabled();
  }
};

TEST_F(LockBox, UncheckedWhileConnectedResetsTheDisplayAndKeepsTheKeyboardOpen) {
  ASSERT_EQ(h.text(IDC_STATUS), "Device connected");
  h.dlg->m_lastOk = true;
  h.dlg->setItemText(IDC_RESULT, "Success");
  h.dlg->setProgressPos(IDC_PROGRESS, 60);
  const HidDevice* open = h.dlg->m_hDevice.get();
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(lock->isEnabled());

  click();

  EXPECT_FALSE(lock->isChecked());
  EXPECT_TRUE(editsEnabled());
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0000 --- 0000-00-00 00:00:00");
  EXPECT_EQ(h.text(IDC_FW_INFO), "0000-000-000-000");
  for (int id : {IDC_STATUS, IDC_RESULT}) {
    EXPECT_EQ(h.text(id), "Default") << id;
    EXPECT_TRUE(drawsColor(h.dlg->item(id), kRed)) << id;
    EXPECT_FALSE(drawsColor(h.dlg->item(id), kGreen)) << id;
  }
  EXPECT_EQ(qobject_cast<QProgressBar*>(h.dlg->item(IDC_PROGRESS))->value(), 0);
  EXPECT_EQ(h.dlg->m_hDevice.get(), open);
  EXPECT_EQ(h.dlg->m_strVid, "0x0416");
  EXPECT_EQ(h.dlg->m_strPid, "0x7472");
}

TEST_F(LockBox, CheckedWithTextsThatMatchNothingScansAndFindsNothing) {
  click();
  typeInto(IDC_VID, "0x1234");
  typeInto(IDC_PID, "0x5678");
  const int readsBefore = keyboard->counters().applicationReads;

  click();

  EXPECT_TRUE(lock->isChecked());
  EXPECT_FALSE(editsEnabled());
  EXPECT_EQ(h.dlg->m_strVid, "0x1234");
  EXPECT_EQ(h.dlg->m_strPid, "0x5678");
  EXPECT_EQ(h.dlg->m_hDevice, nullptr) << "the scan closed the keyboard and found none";
  EXPECT_EQ(h.text(IDC_STATUS), "Default");
  EXPECT_EQ(keyboard->counters().applicationReads, readsBefore);

  // Later scans (an arrival) use the typed texts too.
  h.bus->announce(DeviceNotice::Arrival);
  h.bus->announce(DeviceNotice::Removal);  // a marker: the arrival has been handled before it
  ASSERT_TRUE(waitUntil([&] { return h.traced("REMOVECOMPLETE"); }));
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);
}

TEST_F(LockBox, CheckedWithTheRightTextsReconnects) {
  const std::string identity = h.text(IDC_FW_INFO);
  click();
  ASSERT_EQ(h.text(IDC_FW_INFO), "0000-000-000-000");
  typeInto(IDC_VID, "0X0416");  // compared ignoring case
  typeInto(IDC_PID, "0x7472");
  click();

  EXPECT_EQ(h.dlg->m_strVid, "0X0416");
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  EXPECT_TRUE(drawsColor(h.dlg->item(IDC_STATUS), kGreen));
  EXPECT_NE(h.dlg->m_hDevice, nullptr);
  EXPECT_EQ(h.text(IDC_FW_INFO), identity);
}

TEST(LockBoxDuringATransfer, LeavesTheTransferAlone) {
  HarnessOptions options = notShownYet();
  options.hearNotices = false;
  DialogHarness h(std::move(options));
  auto keyboard = h.addBootloader();
  h.show();
  typeKey(*h.dlg, IDC_UPGRADE, Qt::Key_C, kCtrlShiftAlt);
  auto* lock = h.dlg->item(IDC_LOCK);
  h.dlg->OnUpgrade();
  ASSERT_TRUE(h.dlg->IsUpgradeWorkerRunning());
  // The worker cannot get far meanwhile: its first steps (the button, the bar's range, the
  // pairing box) wait for this thread.

  QTest::mouseClick(lock, Qt::LeftButton);  // unlocked: the display starts over
  QTest::mouseClick(lock, Qt::LeftButton);  // locked: a scan finds the keyboard being upgraded
  EXPECT_EQ(h.text(IDC_STATUS), "Into boot");

  ASSERT_TRUE(h.awaitIdle());
  EXPECT_EQ(h.text(IDC_RESULT), "Success");
  EXPECT_EQ(keyboard->completedUpgrades(), 1);
  EXPECT_TRUE(keyboard->violations().empty());
  EXPECT_TRUE(h.boxes.empty());
}

TEST(MinimisedWindow, DrawsTheIconCentred) {
  DialogHarness h;
  const int side = h.dlg->style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, h.dlg.get());
  const QImage icon = h.dlg->m_hIcon.pixmap(side, side).toImage();
  const IconOrigin origin = CentredIconOrigin(h.dlg->width(), h.dlg->height(), side, side);
  const QPoint middle(side / 2, side / 2);
  ASSERT_GT(icon.pixelColor(middle).alpha(), 0) << "pick a point the icon covers";

  auto drawnAtIconMiddle = [&] {
    return h.dlg->grab().toImage().pixelColor(origin.left + middle.x(), origin.top + middle.y());
  };
  EXPECT_NE(drawnAtIconMiddle(), icon.pixelColor(middle)) << "no icon while shown normally";

  h.dlg->showMinimized();
  ASSERT_TRUE(h.dlg->isMinimized());
  EXPECT_EQ(drawnAtIconMiddle(), icon.pixelColor(middle));
  EXPECT_EQ(h.dlg->windowIcon().cacheKey(), h.dlg->m_hIcon.cacheKey());
}

}  // namespace
