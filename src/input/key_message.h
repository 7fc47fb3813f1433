#pragma once

#include <cstdint>

// A key as the dialog's key handling sees it: pressed (auto-repeats included) or released,
// its key code, and the modifiers held at that moment.
//
// Key codes follow the classic virtual-key numbering, in which a digit or letter key is the
// code of its digit or capital letter whatever the modifiers (Shift+7 is still 0x37).
struct KeyMessage {
  bool keyDown = true;
  int keyCode = 0;  // 0: a key none of the handling cares about
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

inline constexpr int kKeyReturn = 0x0D;  // Return and the keypad's Enter alike
inline constexpr int kKeyShift = 0x10;
inline constexpr int kKeyControl = 0x11;
inline constexpr int kKeyAlt = 0x12;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyDigit0 = 0x30;
inline constexpr int kKeyLetterA = 0x41;
inline constexpr int kKeyKeypad0 = 0x60;
inline constexpr int kKeyF1 = 0x70;

// What is known of a key event from the window system.
struct KeyEventFacts {
  int qtKey = 0;                    // Qt::Key
  bool keypad = false;              // Qt::KeypadModifier
  std::uint32_t nativeScanCode = 0;
  // The scan code is an XKB key code (X11, Wayland); elsewhere it is not used.
  bool xkbScanCodes = false;
};

// The key code of a key event: 0 for keys the handling has no code for.
//
// Qt names a digit key by the character it types, so Shift+7 arrives as '&' on many layouts;
// on XKB systems the digit row is recognised by its position instead, as the classic codes do.
// Keypad digits have codes of their own (0x60 to 0x69), as the classic codes have.
int KeyCodeOf(const KeyEventFacts& facts);
