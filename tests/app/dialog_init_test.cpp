// The dialog as the program opens it: every member's starting value, and every control's
// text, check state, enabled state, visibility and font after initialisation, per profile.
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"

namespace {

DialogEnvironment environmentFor(int profile) {
  DialogEnvironment environment;
  environment.buildProfile = profile;
  return environment;
}

TEST(DialogState, MembersStartAtTheirInitialValues) {
  CFerrowindDlg dlg(environmentFor(2));

  EXPECT_FALSE(dlg.m_hIcon.isNull());
  EXPECT_EQ(dlg.m_hDevice, nullptr);
  EXPECT_EQ(dlg.m_hBootDevice, nullptr);
  EXPECT_FALSE(dlg.m_pVidEdit);
  EXPECT_FALSE(dlg.m_pResultLabel);
  EXPECT_EQ(dlg.m_strVid, "");
  EXPECT_EQ(dlg.m_strPid, "");
  EXPECT_EQ(dlg.m_strBootVid, "0x0416");
  EXPECT_EQ(dlg.m_strBootPid, "0x3F01");
  EXPECT_EQ(dlg.m_strSerial, "");
  EXPECT_TRUE(std::all_of(dlg.m_serial.begin(), dlg.m_serial.end(), [](auto b) { return b == 0; }));
  EXPECT_FALSE(dlg.m_restoreSerial);
  EXPECT_FALSE(dlg.m_connected);
  EXPECT_FALSE(dlg.m_lastOk);
  EXPECT_FALSE(dlg.m_force);
  EXPECT_FALSE(dlg.m_waitingForBoot);
  EXPECT_EQ(dlg.m_firmware.size(), 0x40000u);
  EXPECT_TRUE(
      std::all_of(dlg.m_firmware.begin(), dlg.m_firmware.end(), [](auto b) { return b == 0; }));
  EXPECT_EQ(dlg.m_bootWaitTicks, 0);
  EXPECT_EQ(dlg.m_deviceIdentity, DeviceIdentity{});
  EXPECT_EQ(dlg.m_failCount, 0);
  EXPECT_EQ(dlg.m_successCount, 0);
  EXPECT_FALSE(dlg.m_upgrading);
  EXPECT_EQ(dlg.m_rearmTicks, 0);
  EXPECT_TRUE(dlg.m_enterArmed);
}

TEST(DialogState, GlobalPointsToTheLiveDialogOnly) {
  {
    CFerrowindDlg dlg(environmentFor(2));
    EXPECT_EQ(g_pMainDlg.load(), &dlg);
  }
  EXPECT_EQ(g_pMainDlg.load(), nullptr);
}

struct ProfileCase {
  int profile;
  std::string pid;
  std::string caption;
};

void PrintTo(const ProfileCase& c, std::ostream* os) { *os << "profile " << c.profile; }

class DialogInit : public ::testing::TestWithParam<ProfileCase> {};

enum class Font { Dialog, Small, Result, None };

struct ControlState {
  int id;
  std::optional<std::string> text;  // nullopt: the template's text
  std::optional<bool> checked;
  bool enabled;
  bool visible;
  Font font;
};

std::string templateText(int id) {
  for (const ControlTemplate& c : ferrowindDialogTemplate().controls)
    if (c.id == id) return c.text;
  return {};
}

TEST_P(DialogInit, EveryControlIsLeftAsTheProgramStarts) {
  const ProfileCase& p = GetParam();
  CFerrowindDlg dlg(environmentFor(p.profile));
  dlg.show();

  EXPECT_EQ(dlg.caption(), p.caption);
  EXPECT_EQ(dlg.m_strVid, "0x0416");
  EXPECT_EQ(dlg.m_strPid, p.pid);

  const ControlState expected[] = {
      {IDC_VID, "0x0416", {}, false, true, Font::Dialog},
      {IDC_PID, p.pid, {}, false, true, Font::Dialog},
      {IDC_LOCK, "Lock", true, false, true, Font::Dialog},
      {IDC_FORCE, {}, false, false, false, Font::Dialog},
      {IDC_AUTO_UPGRADE, {}, false, false, false, Font::Dialog},
      {IDC_CLEAR_PAIRING, {}, true, false, false, Font::Dialog},
      {IDC_FW_INFO, "0000-000-000-000", {}, true, true, Font::Dialog},
      {IDC_FW_VERSION, "0000 --- 0000-00-00 00:00:00", {}, true, true, Font::Dialog},
      {IDC_STATUS, "Default", {}, true, true, Font::Small},
      {IDC_RESULT, "Default", {}, true, true, Font::Result},
      {IDC_SUCCESS_COUNT, "0", {}, true, false, Font::Small},
      {IDC_FAIL_COUNT, "0", {}, true, false, Font::Small},
      {IDC_SUCCESS_CAPTION, {}, {}, true, false, Font::Dialog},
      {IDC_FAIL_CAPTION, {}, {}, true, false, Font::Dialog},
      {IDC_UPGRADE, "Upgrade", {}, true, true, Font::Dialog},
      {IDC_PROGRESS, {}, {}, true, true, Font::None},
  };

  for (const ControlState& c : expected) {
    SCOPED_TRACE("control " + std::to_string(c.id));
    QWidget* w = dlg.item(c.id);
    ASSERT_NE(w, nullptr);
    if (c.id != IDC_PROGRESS) {
      EXPECT_EQ(dlg.itemText(c.id), c.text.value_or(templateText(c.id)));
    }
    if (c.checked) {
      EXPECT_EQ(dlg.itemCheck(c.id), *c.checked ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_EQ(w->isEnabled(), c.enabled);
    EXPECT_EQ(w->isVisible(), c.visible);
    switch (c.font) {
      case Font::Small:
        EXPECT_EQ(w->font().family(), QString::fromUtf8("微软雅黑"));
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 9.0);
        break;
      case Font::Result:
        EXPECT_EQ(w->font().family(), QString::fromUtf8("微软雅黑"));
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 20.0);
        break;
      case Font::Dialog: EXPECT_EQ(w->font(), dlg.font()); break;
      case Font::None: break;
    }
  }

  // The bar keeps the platform's defaults until a transfer sets it up.
  auto* bar = qobject_cast<QProgressBar*>(dlg.item(IDC_PROGRESS));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 0);

  // The first tab stop, "Upgrade", has the focus; it never acts as a default button.
  EXPECT_EQ(dlg.focusWidget(), dlg.item(IDC_UPGRADE));
  auto* upgrade = qobject_cast<QPushButton*>(dlg.item(IDC_UPGRADE));
  EXPECT_FALSE(upgrade->isDefault());
  EXPECT_FALSE(upgrade->autoDefault());

  // The controls are bound to their ids.
  EXPECT_EQ(dlg.m_pUpgradeButton.id(), IDC_UPGRADE);
  EXPECT_EQ(dlg.m_pResultLabel.id(), IDC_RESULT);
  EXPECT_EQ(dlg.m_pFirmwareLabel.id(), IDC_FW_INFO);
  EXPECT_EQ(dlg.m_pVersionLabel.id(), IDC_FW_VERSION);
}

const std::string kTemplateCaption = "Brennic Tarnwick V1.0.0.1";

INSTANTIATE_TEST_SUITE_P(
    Profiles, DialogInit,
    ::testing::Values(ProfileCase{0, "0x7372", "Tarnwick Loader V1.0.0.3"},
                      ProfileCase{1, "0x7401", "Ombrelle V1.0.0.1"},
                      ProfileCase{2, "0x7472", "Joyvane Loader V1.0.0.1"},
                      ProfileCase{3, "", kTemplateCaption}, ProfileCase{4, "", kTemplateCaption},
                      ProfileCase{5, "0x7472", "Disabled Joyvane Loader V1.0.0.1"},
                      ProfileCase{6, "0x7473", "Vexa Joyvane Loader V1.0.0.1"},
                      ProfileCase{7, "0x7474", "Classic Joyvane Loader V1.0.0.1"},
                      ProfileCase{8, "", kTemplateCaption}),
    [](const auto& info) { return "Profile" + std::to_string(info.param.profile); });

TEST(DialogWindowShape, FixedSizeWithoutMinimiseOrMaximise) {
  CFerrowindDlg dlg(environmentFor(2));
  dlg.show();
  EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
  EXPECT_GT(dlg.width(), dlg.height());
  const Qt::WindowFlags flags = dlg.windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(dlg.windowIcon().isNull());
  // Every control lies inside the window.
  for (const ControlTemplate& c : ferrowindDialogTemplate().controls) {
    if (c.id == IDC_STATIC) continue;
    EXPECT_TRUE(dlg.rect().contains(dlg.item(c.id)->geometry())) << c.id;
  }
}

TEST(DialogState, UpdateDataReadsBothEditsIntoTheMembers) {
  CFerrowindDlg dlg(environmentFor(2));
  dlg.show();
  dlg.setItemText(IDC_VID, "0x1234");
  dlg.setItemText(IDC_PID, "0xabcd");
  dlg.UpdateData(true);
  EXPECT_EQ(dlg.m_strVid, "0x1234");
  EXPECT_EQ(dlg.m_strPid, "0xabcd");
}

TEST(DialogState, UpgradeButtonFollowsSetUpgradeButtonEnabled) {
  CFerrowindDlg dlg(environmentFor(2));
  dlg.show();
  dlg.SetUpgradeButtonEnabled(false);
  EXPECT_FALSE(dlg.item(IDC_UPGRADE)->isEnabled());
  dlg.SetUpgradeButtonEnabled(true);
  EXPECT_TRUE(dlg.item(IDC_UPGRADE)->isEnabled());
}

}  // namespace

namespace {

// An operator must be able to read every text the dialog shows at start: none is cut off by
// its control's edges in the font the dialog really got.
TEST(DialogShape, VisibleTextsFitTheirControls) {
  CFerrowindDlg dlg(environmentFor(2));
  dlg.show();
  for (QWidget* w : dlg.findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    QString text;
    int room = w->width();
    if (auto* label = qobject_cast<QLabel*>(w)) {
      text = label->text();
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
      text = box->text();
      room = w->width() - (box->sizeHint().width() - box->fontMetrics().horizontalAdvance(text));
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
      text = button->text();
    } else {
      continue;
    }
    EXPECT_LE(w->fontMetrics().horizontalAdvance(text), room)
        << '"' << text.toStdString() << "\" in " << w->fontInfo().family().toStdString();
  }
}

}  // namespace
