#include "device/interface_path.h"

#include "common/ascii_text.h"

namespace {

constexpr std::size_t kIdDigits = 4;

}  // namespace

std::optional<std::string> IdTextAfter(std::string_view path, std::string_view key) {
  const std::size_t at = path.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  return "0x" + std::string(path.substr(at + key.size(), kIdDigits));
}

bool SameIdText(std::string_view a, std::string_view b) { return EqualIgnoringAsciiCase(a, b); }

bool PathHasIds(std::string_view path, std::string_view vidText, std::string_view pidText) {
  const auto vid = IdTextAfter(path, "vid_");
  const auto pid = IdTextAfter(path, "pid_");
  return vid && pid && SameIdText(*vid, vidText) && SameIdText(*pid, pidText);
}
