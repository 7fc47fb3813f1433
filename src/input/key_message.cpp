#include "input/key_message.h"

#include <Qt>

namespace {

// XKB key codes of the digit row: "1" to "9", then "0" (the Linux input codes plus 8).
constexpr std::uint32_t kXkbDigitOne = 10;
constexpr std::uint32_t kXkbDigitZero = 19;

int digitRowByPosition(std::uint32_t scanCode) {
  if (scanCode < kXkbDigitOne || scanCode > kXkbDigitZero) return 0;
  if (scanCode == kXkbDigitZero) return kKeyDigit0;
  return kKeyDigit0 + static_cast<int>(scanCode - kXkbDigitOne) + 1;
}

}  // namespace

int KeyCodeOf(const KeyEventFacts& facts) {
  const int key = facts.qtKey;
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return (facts.keypad ? kKeyKeypad0 : kKeyDigit0) + (key - Qt::Key_0);
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return kKeyLetterA + (key - Qt::Key_A);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kKeyF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyReturn;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Shift: return kKeyShift;
    case Qt::Key_Control: return kKeyControl;
    case Qt::Key_Alt: return kKeyAlt;
    default: break;
  }
  if (facts.xkbScanCodes && !facts.keypad) return digitRowByPosition(facts.nativeScanCode);
  return 0;
}
