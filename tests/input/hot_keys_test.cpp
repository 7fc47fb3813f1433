// The key rules: which keys have codes, which texts a key with modifiers builds, which texts
// are hot keys, and what counts as Enter.
#include <Qt>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "input/hot_keys.h"
#include "input/key_message.h"
#include "support/case_name.h"

namespace {

struct KeyCodeCase {
  const char* name;
  KeyEventFacts facts;
  int expected;
};
void PrintTo(const KeyCodeCase& c, std::ostream* os) { *os << c.name; }

constexpr std::uint32_t kXkbSeven = 16;  // the digit row's "7" on X11 and Wayland
constexpr std::uint32_t kXkbZero = 19;
constexpr std::uint32_t kXkbOne = 10;
constexpr std::uint32_t kXkbLetterQ = 24;

class KeyCodes : public testing::TestWithParam<KeyCodeCase> {};

TEST_P(KeyCodes, FollowTheClassicNumbering) {
  EXPECT_EQ(KeyCodeOf(GetParam().facts), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyCodes,
    testing::Values(
        KeyCodeCase{"digit 0", {Qt::Key_0}, 0x30},
        KeyCodeCase{"digit 9", {Qt::Key_9}, 0x39},
        KeyCodeCase{"letter A", {Qt::Key_A}, 0x41},
        KeyCodeCase{"letter Z", {Qt::Key_Z}, 0x5A},
        KeyCodeCase{"keypad 7 is a key of its own", {Qt::Key_7, true}, 0x67},
        KeyCodeCase{"Return", {Qt::Key_Return}, kKeyReturn},
        KeyCodeCase{"keypad Enter", {Qt::Key_Enter, true}, kKeyReturn},
        KeyCodeCase{"Escape", {Qt::Key_Escape}, kKeyEscape},
        KeyCodeCase{"F1", {Qt::Key_F1}, 0x70},
        KeyCodeCase{"F24", {Qt::Key_F24}, 0x87},
        KeyCodeCase{"Shift", {Qt::Key_Shift}, kKeyShift},
        KeyCodeCase{"Control", {Qt::Key_Control}, kKeyControl},
        KeyCodeCase{"Alt", {Qt::Key_Alt}, kKeyAlt},
        KeyCodeCase{"a symbol without a position has none", {Qt::Key_Ampersand}, 0},
        KeyCodeCase{"Shift 7 on XKB is the digit by its position",
                    {Qt::Key_Ampersand, false, kXkbSeven, true}, 0x37},
        KeyCodeCase{"the digit row's 1 on XKB", {Qt::Key_Exclam, false, kXkbOne, true}, 0x31},
        KeyCodeCase{"the digit row's 0 on XKB", {Qt::Key_ParenRight, false, kXkbZero, true}, 0x30},
        KeyCodeCase{"scan codes mean nothing off XKB", {Qt::Key_Ampersand, false, kXkbSeven, false}, 0},
        KeyCodeCase{"only the digit row goes by position",
                    {Qt::Key_Adiaeresis, false, kXkbLetterQ, true}, 0},
        KeyCodeCase{"the key's own name wins over its position", {Qt::Key_A, false, kXkbSeven, true},
                    0x41}),
    [](const auto& info) { return caseName(info.param.name); });

struct HotKeyTextCase {
  const char* name;
  KeyMessage message;
  std::optional<std::string> text;
};
void PrintTo(const HotKeyTextCase& c, std::ostream* os) { *os << c.name; }

KeyMessage key(int code, bool ctrl, bool shift, bool alt, bool down = true) {
  return KeyMessage{down, code, ctrl, shift, alt};
}

class HotKeyTexts : public testing::TestWithParam<HotKeyTextCase> {};

TEST_P(HotKeyTexts, AreBuiltForDigitsAndLettersWithAModifier) {
  EXPECT_EQ(BuildHotKeyText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HotKeyTexts,
    testing::Values(
        HotKeyTextCase{"all three modifiers in order", key('L', true, true, true), "Ctrl+Shift+Alt+L"},
        HotKeyTextCase{"key-ups build too", key('L', true, true, true, false), "Ctrl+Shift+Alt+L"},
        HotKeyTextCase{"Ctrl Alt without Shift", key('L', true, false, true), "Ctrl+Alt+L"},
        HotKeyTextCase{"Shift 7", key('7', false, true, false), "Shift+7"},
        HotKeyTextCase{"Alt 0", key('0', false, false, true), "Alt+0"},
        HotKeyTextCase{"Ctrl Z", key('Z', true, false, false), "Ctrl+Z"},
        HotKeyTextCase{"no modifier, no text", key('L', false, false, false), std::nullopt},
        HotKeyTextCase{"F1 is out of range", key(0x70, true, true, true), std::nullopt},
        HotKeyTextCase{"keypad digits are out of range", key(0x67, true, true, true), std::nullopt},
        HotKeyTextCase{"a modifier key itself", key(kKeyAlt, true, true, true), std::nullopt},
        HotKeyTextCase{"just below the digits", key(0x2F, true, false, false), std::nullopt},
        HotKeyTextCase{"between digits and letters", key(0x40, true, false, false), std::nullopt},
        HotKeyTextCase{"just above the letters", key(0x5B, true, false, false), std::nullopt},
        HotKeyTextCase{"Return", key(kKeyReturn, true, false, false), std::nullopt}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(HotKeyMatch, NamesTheFourHotKeysIgnoringCaseAndNothingElse) {
  EXPECT_EQ(MatchHotKey("Ctrl+Shift+Alt+L"), HotKey::ForceOn);
  EXPECT_EQ(MatchHotKey("Ctrl+Shift+Alt+Q"), HotKey::ForceOff);
  EXPECT_EQ(MatchHotKey("Ctrl+Shift+Alt+C"), HotKey::EnableOptions);
  EXPECT_EQ(MatchHotKey("Ctrl+Shift+Alt+N"), HotKey::DisableOptions);
  EXPECT_EQ(MatchHotKey("ctrl+shift+alt+l"), HotKey::ForceOn);
  EXPECT_EQ(MatchHotKey("CTRL+SHIFT+ALT+n"), HotKey::DisableOptions);

  for (const char* other : {"Ctrl+Alt+L", "Shift+7", "Ctrl+Shift+Alt+M", "Ctrl+Shift+Alt+L ",
                            "Ctrl+Shift+Alt+", "", "Alt+Shift+Ctrl+L"})
    EXPECT_EQ(MatchHotKey(other), std::nullopt) << other;
}

TEST(HotKeyTrace, NamesTheTextBuilt) {
  EXPECT_EQ(HotKeyTraceLine("Shift+7"),
            "------------- Hot key is Pressed --------------- HotKey:Shift+7 \n");
}

TEST(EnterKey, IsAKeyDownOfReturnWhateverTheModifiers) {
  EXPECT_TRUE(IsEnterKeyDown(key(kKeyReturn, false, false, false)));
  EXPECT_TRUE(IsEnterKeyDown(key(kKeyReturn, true, true, false)));
  EXPECT_FALSE(IsEnterKeyDown(key(kKeyReturn, false, false, false, false)));
  EXPECT_FALSE(IsEnterKeyDown(key(kKeyEscape, false, false, false)));
  EXPECT_FALSE(IsEnterKeyDown(key('M', false, false, false)));
}

}  // namespace
