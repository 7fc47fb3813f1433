#include "input/hot_keys.h"

#include <array>
#include <utility>

namespace {

bool isDigitOrLetter(int keyCode) {
  return (keyCode >= kKeyDigit0 && keyCode <= kKeyDigit0 + 9) ||
         (keyCode >= kKeyLetterA && keyCode <= kKeyLetterA + 25);
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

constexpr std::array<std::pair<std::string_view, HotKey>, 4> kHotKeys{{
    {"Ctrl+Shift+Alt+L", HotKey::ForceOn},
    {"Ctrl+Shift+Alt+Q", HotKey::ForceOff},
    {"Ctrl+Shift+Alt+C", HotKey::EnableOptions},
    {"Ctrl+Shift+Alt+N", HotKey::DisableOptions},
}};

}  // namespace

std::optional<std::string> BuildHotKeyText(const KeyMessage& message) {
  if (!(message.ctrl || message.shift || message.alt)) return std::nullopt;
  if (!isDigitOrLetter(message.keyCode)) return std::nullopt;
  std::string text;
  if (message.ctrl) text += "Ctrl+";
  if (message.shift) text += "Shift+";
  if (message.alt) text += "Alt+";
  text += static_cast<char>(message.keyCode);
  return text;
}

std::optional<HotKey> MatchHotKey(std::string_view text) {
  for (const auto& [hotKeyText, hotKey] : kHotKeys)
    if (equalIgnoringCase(text, hotKeyText)) return hotKey;
  return std::nullopt;
}

std::string HotKeyTraceLine(std::string_view text) {
  return "------------- Hot key is Pressed --------------- HotKey:" + std::string(text) + " \n";
}

bool IsEnterKeyDown(const KeyMessage& message) {
  return message.keyDown && message.keyCode == kKeyReturn;
}
