// Interface paths come from the system's device list (through hidapi) and decide which device
// the program opens and what it takes it for. The whole input is one path; its lines are also
// the nodes of a device list.
#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "device/hid_interface_paths.h"
#include "device/interface_path.h"
#include "device/interface_role.h"

namespace {

constexpr std::string_view kVid = "0x0416";
constexpr std::string_view kBootPid = "0x3F01";
// The application PIDs of the build profiles, and none.
constexpr std::string_view kProfilePids[] = {"0x7372", "0x7401", "0x7472", "0x7473", "0x7474", ""};

std::string flipCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80 && std::isalpha(u))
      c = static_cast<char>(std::isupper(u) ? std::tolower(u) : std::toupper(u));
  }
  return out;
}

// ASCII case folding as the C locale does it: no byte above 0x7F folds.
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y && !(x < 0x80 && y < 0x80 && std::tolower(x) == std::tolower(y))) return false;
  }
  return true;
}

void checkIdText(std::string_view path, std::string_view key) {
  const auto id = IdTextAfter(path, key);
  const std::size_t at = path.find(key);
  FUZZ_CHECK(id.has_value() == (at != std::string_view::npos));
  if (!id) return;
  FUZZ_CHECK(id->starts_with("0x") && id->size() <= 6);
  FUZZ_CHECK(path.substr(at + key.size()).starts_with(id->substr(2)));
  FUZZ_CHECK(id->size() == 6 || at + key.size() + id->size() - 2 == path.size());
  FUZZ_CHECK(SameIdText(*id, *id) && SameIdText(*id, flipCase(*id)));
}

void checkComparison(std::string_view a, std::string_view b) {
  FUZZ_CHECK(SameIdText(a, b) == SameIdText(b, a));
  FUZZ_CHECK(SameIdText(a, b) == sameIgnoringAsciiCase(a, b));
  FUZZ_CHECK(SameIdText(flipCase(a), b) == SameIdText(a, b));
}

void checkRoles(std::string_view path, std::string_view pid) {
  const auto vidText = IdTextAfter(path, "vid_");
  const auto pidText = IdTextAfter(path, "pid_");
  const InterfaceRole role = ClassifyInterface(path, kVid, pid, kVid, kBootPid);
  // Texts compare ignoring case, whoever spells them.
  FUZZ_CHECK(role == ClassifyInterface(path, flipCase(kVid), flipCase(pid), kVid, flipCase(kBootPid)));
  FUZZ_CHECK(PathHasIds(path, kVid, pid) == PathHasIds(path, flipCase(kVid), flipCase(pid)));
  if (vidText && pidText) FUZZ_CHECK(PathHasIds(path, flipCase(*vidText), *pidText));
  if (role == InterfaceRole::Other) return;

  FUZZ_CHECK(vidText && pidText && SameIdText(*vidText, kVid));
  if (role == InterfaceRole::Bootloader) {
    FUZZ_CHECK(SameIdText(*pidText, kBootPid));
    return;
  }
  const bool interfaceThree = SameIdText(*pidText, "0x7473") || SameIdText(*pidText, "0x7474");
  FUZZ_CHECK(interfaceThree || PathHasIds(path, kVid, pid));
  FUZZ_CHECK(path.find(interfaceThree ? "mi_03" : "mi_02") != std::string_view::npos);
}

bool isLowerHex(std::string_view text, std::size_t count) {
  return text.size() == count && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

bool isInterfaceNumber(std::string_view digits) {
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  if (digits.size() == 2) return true;
  return digits.size() == 3 && digits[0] != '0' && digits <= "255";
}

// The node a path names, read by this check's own grammar of the paths the adapter makes.
std::optional<std::string> expectedNode(std::string_view path) {
  const std::size_t separator = path.rfind('#');
  if (separator == std::string_view::npos) return std::nullopt;
  const std::string_view node = path.substr(0, separator);
  std::string_view suffix = path.substr(separator + 1);
  if (!node.starts_with('/') || node.find('\0') != std::string_view::npos) return std::nullopt;
  if (suffix.size() < 17 || !suffix.starts_with("vid_") || !isLowerHex(suffix.substr(4, 4), 4) ||
      suffix.substr(8, 5) != "&pid_" || !isLowerHex(suffix.substr(13, 4), 4))
    return std::nullopt;
  suffix.remove_prefix(17);
  if (!suffix.empty() && !(suffix.starts_with("&mi_") && isInterfaceNumber(suffix.substr(4))))
    return std::nullopt;
  return std::string(node);
}

void checkNode(const std::string& path) {
  const auto node = hidrawNodeOfPath(path);
  FUZZ_CHECK(node == expectedNode(path));
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (start <= text.size() && out.size() < 64) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// A device list made from the lines: each line's node (before its last '#'), an identity and
// an interface number (some beyond a byte, some negative) taken from its bytes.
std::vector<HidEnumerationEntry> entriesOf(std::string_view text) {
  std::vector<HidEnumerationEntry> entries;
  for (const std::string_view line : lines(text)) {
    HidEnumerationEntry entry;
    entry.nodePath = std::string(line.substr(0, std::min(line.rfind('#'), line.size())));
    const auto byte = [&](std::size_t i) {
      return i < line.size() ? static_cast<unsigned char>(line[line.size() - 1 - i]) : 0u;
    };
    entry.vendorId = static_cast<unsigned short>(byte(1) << 8 | byte(2));
    entry.productId = static_cast<unsigned short>(byte(3) << 8 | byte(4));
    entry.interfaceNumber = static_cast<int>(static_cast<signed char>(byte(0))) * 3;
    entries.push_back(std::move(entry));
  }
  return entries;
}

// "/dev/hidraw" and a number without leading zeros: the nodes whose order is certain.
std::optional<std::string_view> hidrawNumber(std::string_view node) {
  constexpr std::string_view kStem = "/dev/hidraw";
  if (!node.starts_with(kStem)) return std::nullopt;
  const std::string_view digits = node.substr(kStem.size());
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0') ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return digits;
}

void checkList(const std::vector<HidEnumerationEntry>& entries) {
  const std::vector<std::string> listed = interfacePathsOf(entries);

  for (const auto& entry : entries) {
    const std::string path = interfacePathOf(entry);
    const bool leadsBack = entry.nodePath.starts_with('/') &&
                           entry.nodePath.find('\0') == std::string::npos &&
                           entry.interfaceNumber <= 255;
    FUZZ_CHECK((hidrawNodeOfPath(path) == entry.nodePath) == leadsBack);
    FUZZ_CHECK((std::find(listed.begin(), listed.end(), path) != listed.end()) == leadsBack);
  }
  for (std::size_t i = 0; i < listed.size(); ++i) {
    FUZZ_CHECK(std::any_of(entries.begin(), entries.end(),
                           [&](const HidEnumerationEntry& e) { return interfacePathOf(e) == listed[i]; }));
    if (i == 0) continue;
    FUZZ_CHECK(listed[i - 1] != listed[i]);
    const auto beforeNode = hidrawNodeOfPath(listed[i - 1]);
    const auto afterNode = hidrawNodeOfPath(listed[i]);
    FUZZ_CHECK(beforeNode && afterNode);
    const auto before = hidrawNumber(*beforeNode);
    const auto after = hidrawNumber(*afterNode);
    if (before && after)
      FUZZ_CHECK(before->size() < after->size() ||
                 (before->size() == after->size() && *before <= *after));
  }

  // The list depends on the devices, not on the order hidapi gives them or on its repeats.
  std::vector<HidEnumerationEntry> shuffled(entries.rbegin(), entries.rend());
  shuffled.insert(shuffled.end(), entries.begin(), entries.end());
  FUZZ_CHECK(interfacePathsOf(shuffled) == listed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(fuzz::textOf(data, size));

  for (const std::string_view key : {"vid_", "pid_", "mi_"}) checkIdText(path, key);
  const auto vid = IdTextAfter(path, "vid_");
  const auto pid = IdTextAfter(path, "pid_");
  checkComparison(vid.value_or(""), pid.value_or(""));
  checkComparison(vid.value_or(""), kVid);
  checkComparison(pid.value_or(""), kBootPid);
  for (const std::string_view profilePid : kProfilePids) checkRoles(path, profilePid);

  checkNode(path);
  checkList(entriesOf(path));
  return 0;
}
