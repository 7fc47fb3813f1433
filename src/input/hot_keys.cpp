#include "input/hot_keys.h"

#include <array>
#include <utility>

#include "common/ascii_text.h"

namespace {

bool isDigitOrLetter(int keyCode) {
  return (keyCode >= kKeyDigit0 && keyCode <= kKeyDigit0 + 9) ||
         (keyCode >= kKeyLetterA && keyCode <= kKeyLetterA + 25);
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
    if (EqualIgnoringAsciiCase(text, hotKeyText)) return hotKey;
  return std::nullopt;
}

std::string HotKeyTraceLine(std::string_view text) {
  return "------------- Hot key is Pressed --------------- HotKey:" + std::string(text) + " \n";
}

bool IsEnterKeyDown(const KeyMessage& message) {
  return message.keyDown && message.keyCode == kKeyReturn;
}
