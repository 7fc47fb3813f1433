// Keys the dialog itself reacts to: Escape and the close button end it, Enter never does.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/build_profile.h"
#include "app/ferrowind_app.h"
#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"
#include "sim/simulated_hid_bus.h"
#include "support/wait_until.h"

namespace {

DialogEnvironment testEnvironment() { return DialogEnvironment{}; }

TEST(DialogKeys, EnterNeverClosesTheDialogNorPressesAButton) {
  CFerrowindDlg dlg(testEnvironment());
  dlg.show();
  int clicks = 0;
  QObject::connect(qobject_cast<QPushButton*>(dlg.item(IDC_UPGRADE)), &QPushButton::clicked,
                   [&] { ++clicks; });

  for (QWidget* target : {static_cast<QWidget*>(&dlg), QApplication::focusWidget(),
                          dlg.item(IDC_UPGRADE), dlg.item(IDC_VID), dlg.item(IDC_LOCK)}) {
    if (!target) continue;
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
  }
  QApplication::processEvents();

  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), 0);
  EXPECT_EQ(clicks, 0);
}

TEST(DialogKeys, EscapeEndsTheModalDialog) {
  CFerrowindDlg dlg(testEnvironment());
  QTimer::singleShot(0, &dlg, [&] {
    waitUntil([&] { return dlg.isVisible(); });
    QTest::keyClick(&dlg, Qt::Key_Escape);
  });
  EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
  EXPECT_FALSE(dlg.isVisible());
}

TEST(DialogKeys, CloseButtonEndsTheModalDialog) {
  CFerrowindDlg dlg(testEnvironment());
  QTimer::singleShot(0, &dlg, [&] {
    waitUntil([&] { return dlg.isVisible(); });
    dlg.close();  // what the window's close button asks for
  });
  EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
  EXPECT_FALSE(dlg.isVisible());
}

TEST(DialogKeys, ApplicationRunsTheDialogUntilEscapeAndThenEnds) {
  QTimer::singleShot(0, [] {
    waitUntil([] { return QApplication::activeModalWidget() != nullptr; });
    auto* dlg = qobject_cast<CFerrowindDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    const auto profile = productProfile(BUILD_PROFILE);  // the build's own profile
    EXPECT_EQ(dlg->caption(), profile ? profile->caption : ferrowindDialogTemplate().caption);
    QTest::keyClick(dlg, Qt::Key_Escape);
  });
  auto bus = std::make_shared<sim::SimulatedHidBus>();
  theApp.m_environment.hid = bus;
  theApp.m_environment.notices = bus;
  EXPECT_FALSE(theApp.InitInstance());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(g_pMainDlg.load(), nullptr);
}

}  // namespace
