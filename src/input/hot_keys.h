#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "input/key_message.h"

// The hidden hot keys, Ctrl+Shift+Alt with a letter. Nothing on screen mentions them.
enum class HotKey {
  ForceOn,         // "Ctrl+Shift+Alt+L": the force flag set
  ForceOff,        // "Ctrl+Shift+Alt+Q": the force flag cleared
  EnableOptions,   // "Ctrl+Shift+Alt+C": the four option boxes enabled
  DisableOptions,  // "Ctrl+Shift+Alt+N": the four option boxes disabled
};

// The text of a key with modifiers, "Ctrl+", "Shift+", "Alt+" (those held, in that order) and
// the key's digit or letter; none for a key that is not a digit or letter, or with no
// modifier held. Key-downs, repeats and key-ups alike.
std::optional<std::string> BuildHotKeyText(const KeyMessage& message);

// The hot key a text names, ignoring case; the texts are tried in the order L, Q, C, N.
std::optional<HotKey> MatchHotKey(std::string_view text);

// The trace line written for every hot-key text built, matching or not.
std::string HotKeyTraceLine(std::string_view text);

// A key-down (or its repeat) of Return or the keypad's Enter.
bool IsEnterKeyDown(const KeyMessage& message);
