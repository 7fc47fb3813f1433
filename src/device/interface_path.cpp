#include "device/interface_path.h"

#include <algorithm>

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::size_t kIdDigits = 4;

}  // namespace

std::optional<std::string> IdTextAfter(std::string_view path, std::string_view key) {
  const std::size_t at = path.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  return "0x" + std::string(path.substr(at + key.size(), kIdDigits));
}

bool SameIdText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool PathHasIds(std::string_view path, std::string_view vidText, std::string_view pidText) {
  const auto vid = IdTextAfter(path, "vid_");
  const auto pid = IdTextAfter(path, "pid_");
  return vid && pid && SameIdText(*vid, vidText) && SameIdText(*pid, pidText);
}
