// The Enter key and the hot keys, typed as an operator types them: real key events through
// the dialog's window to whichever control has the focus.
#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "support/case_name.h"
#include "support/dialog_harness.h"
#include "support/window_keys.h"

namespace {

constexpr const char* kEnterTrace = "Enter Runing";
constexpr const char* kNoBootloader = "Not find the upgrade device !";
constexpr const char* kHotKeyTrace = "Hot key is Pressed --------------- HotKey:";

const std::vector<int> kFocusTargets = {kDialogItself, IDC_UPGRADE, IDC_VID, IDC_PID, IDC_LOCK};

// No keyboard anywhere: each upgrade that starts ends at once in "Not find the upgrade
// device !", so the boxes count the upgrades that Enter started.
struct EmptyMachine : testing::Test {
  DialogHarness h;
  int upgradeClicks = 0;

  EmptyMachine() {
    QObject::connect(qobject_cast<QPushButton*>(h.dlg->item(IDC_UPGRADE)),
                     &QPushButton::clicked, [this] { ++upgradeClicks; });
    // The edits and Lock take the focus only once the operator frees them.
    for (int id : {IDC_VID, IDC_PID, IDC_LOCK}) h.dlg->enableItem(id, true);
  }
  int upgradesStarted() const {
    int count = 0;
    for (const std::string& text : h.boxTexts()) count += text == kNoBootloader;
    return count;
  }
};

TEST_F(EmptyMachine, EnterWhenIdleAndArmedStartsOneUpgradeWhereverTheFocusIs) {
  int expected = 0;
  for (int focus : kFocusTargets) {
    for (Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
      typeKey(*h.dlg, focus, enter, enter == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
      ++expected;
      EXPECT_EQ(upgradesStarted(), expected) << "focus " << focus;
      EXPECT_EQ(h.tracedCount(kEnterTrace), expected) << "focus " << focus;
    }
  }
  QApplication::processEvents();
  EXPECT_EQ(upgradeClicks, 0) << "Enter presses no button";
  EXPECT_TRUE(h.dlg->isVisible());
  EXPECT_EQ(h.dlg->result(), 0);
}

TEST_F(EmptyMachine, EnterDoesNothingWhileUpgradingOrBeforeTheReArm) {
  h.dlg->m_upgrading = true;
  typeKey(*h.dlg, IDC_UPGRADE, Qt::Key_Return);
  h.dlg->m_upgrading = false;
  h.dlg->m_enterArmed = false;
  typeKey(*h.dlg, IDC_VID, Qt::Key_Return);
  typeKey(*h.dlg, kDialogItself, Qt::Key_Enter, Qt::KeypadModifier);

  EXPECT_EQ(upgradesStarted(), 0);
  EXPECT_EQ(h.tracedCount(kEnterTrace), 0);
  EXPECT_TRUE(h.dlg->isVisible());

  h.dlg->m_enterArmed = true;  // what the re-arm timer does
  typeKey(*h.dlg, IDC_VID, Qt::Key_Return);
  EXPECT_EQ(upgradesStarted(), 1);
}

TEST_F(EmptyMachine, EscapeStillEndsTheDialogFromAnyControl) {
  for (int focus : kFocusTargets) {
    h.dlg->show();
    ASSERT_TRUE(h.dlg->isVisible());
    typeKey(*h.dlg, focus, Qt::Key_Escape);
    EXPECT_FALSE(h.dlg->isVisible()) << "focus " << focus;
    EXPECT_EQ(h.dlg->result(), QDialog::Rejected);
  }
}

// Keys typed one after another, and what they leave behind.
struct HotKeyCase {
  const char* name;
  std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
  int focus;
  bool force;           // m_force afterwards
  bool optionsEnabled;  // the four option boxes afterwards
  std::vector<std::string> texts;  // the hot-key texts traced, in order
};
void PrintTo(const HotKeyCase& c, std::ostream* os) { *os << c.name; }

using K = std::pair<Qt::Key, Qt::KeyboardModifiers>;
const Qt::KeyboardModifiers kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;

class HotKeys : public testing::TestWithParam<HotKeyCase> {};

TEST_P(HotKeys, ActAndTraceEveryTextBuilt) {
  const HotKeyCase& c = GetParam();
  DialogHarness h;
  for (int id : {IDC_VID, IDC_PID}) h.dlg->enableItem(id, true);  // so that they take the focus
  for (const auto& [key, modifiers] : c.keys) typeKey(*h.dlg, c.focus, key, modifiers);

  EXPECT_EQ(h.dlg->m_force, c.force);
  for (int id : {IDC_FORCE, IDC_AUTO_UPGRADE, IDC_CLEAR_PAIRING, IDC_LOCK})
    EXPECT_EQ(h.dlg->item(id)->isEnabled(), c.optionsEnabled) << id;
  // Enabled or not, the three hidden boxes stay hidden and Lock stays shown.
  for (int id : {IDC_FORCE, IDC_AUTO_UPGRADE, IDC_CLEAR_PAIRING})
    EXPECT_TRUE(h.dlg->item(id)->isHidden()) << id;
  EXPECT_FALSE(h.dlg->item(IDC_LOCK)->isHidden());

  std::vector<std::string> texts;
  for (const std::string& line : h.traces()) {
    const auto at = line.find(kHotKeyTrace);
    if (at == std::string::npos) continue;
    const std::string rest = line.substr(at + std::string(kHotKeyTrace).size());
    texts.push_back(rest.substr(0, rest.find(' ')));
  }
  EXPECT_EQ(texts, c.texts);
}

// A key with modifiers builds its text twice: once as it goes down, once as it comes up.
INSTANTIATE_TEST_SUITE_P(
    Keys, HotKeys,
    testing::Values(
        HotKeyCase{"L sets the force flag", {K{Qt::Key_L, kCtrlShiftAlt}}, IDC_UPGRADE, true, false,
                   {"Ctrl+Shift+Alt+L", "Ctrl+Shift+Alt+L"}},
        HotKeyCase{"L then Q leaves it clear",
                   {K{Qt::Key_L, kCtrlShiftAlt}, K{Qt::Key_Q, kCtrlShiftAlt}}, IDC_UPGRADE, false,
                   false,
                   {"Ctrl+Shift+Alt+L", "Ctrl+Shift+Alt+L", "Ctrl+Shift+Alt+Q", "Ctrl+Shift+Alt+Q"}},
        HotKeyCase{"C enables the four boxes", {K{Qt::Key_C, kCtrlShiftAlt}}, kDialogItself, false,
                   true, {"Ctrl+Shift+Alt+C", "Ctrl+Shift+Alt+C"}},
        HotKeyCase{"C then N disables them again",
                   {K{Qt::Key_C, kCtrlShiftAlt}, K{Qt::Key_N, kCtrlShiftAlt}}, IDC_UPGRADE, false,
                   false,
                   {"Ctrl+Shift+Alt+C", "Ctrl+Shift+Alt+C", "Ctrl+Shift+Alt+N", "Ctrl+Shift+Alt+N"}},
        HotKeyCase{"Ctrl Alt L is no hot key but is traced", {K{Qt::Key_L, kCtrlAlt}}, IDC_UPGRADE,
                   false, false, {"Ctrl+Alt+L", "Ctrl+Alt+L"}},
        HotKeyCase{"Shift 7 builds its text", {K{Qt::Key_7, Qt::ShiftModifier}}, IDC_UPGRADE, false,
                   false, {"Shift+7", "Shift+7"}},
        HotKeyCase{"F1 builds nothing", {K{Qt::Key_F1, kCtrlShiftAlt}}, IDC_UPGRADE, false, false,
                   {}},
        HotKeyCase{"plain letters build nothing", {K{Qt::Key_L, Qt::NoModifier}}, IDC_VID, false,
                   false, {}},
        HotKeyCase{"a hot key typed into the VID edit counts", {K{Qt::Key_L, kCtrlShiftAlt}},
                   IDC_VID, true, false, {"Ctrl+Shift+Alt+L", "Ctrl+Shift+Alt+L"}},
        HotKeyCase{"and into the PID edit", {K{Qt::Key_C, kCtrlShiftAlt}}, IDC_PID, false, true,
                   {"Ctrl+Shift+Alt+C", "Ctrl+Shift+Alt+C"}}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(HotKeyInput, GoesOnToTheFocusedControlAfterwards) {
  DialogHarness h;
  h.dlg->enableItem(IDC_VID, true);
  h.dlg->setItemText(IDC_VID, "");
  h.dlg->item(IDC_VID)->setFocus();
  QTest::keyClick(h.dlg->windowHandle(), 'A', Qt::ShiftModifier);  // traced, then typed
  QTest::keyClick(h.dlg->windowHandle(), '7');
  EXPECT_EQ(h.text(IDC_VID), "A7");
  EXPECT_EQ(h.tracedCount("HotKey:Shift+A"), 2);
}

TEST(HotKeyInput, AutoRepeatsBuildTheirTextEachTime) {
  DialogHarness h;
  QWindow* window = h.dlg->windowHandle();
  h.dlg->item(IDC_UPGRADE)->setFocus();
  QTest::keyPress(window, Qt::Key_L, kCtrlShiftAlt);
  for (int repeat = 0; repeat < 3; ++repeat)
    QTest::sendKeyEvent(QTest::Press, window, Qt::Key_L, 'L', kCtrlShiftAlt);
  QTest::keyRelease(window, Qt::Key_L, kCtrlShiftAlt);
  EXPECT_EQ(h.tracedCount("HotKey:Ctrl+Shift+Alt+L"), 5);
  EXPECT_TRUE(h.dlg->m_force);
}

}  // namespace
