#include "device/hid_interface_paths.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace {

constexpr char kSeparator = '#';

std::string identitySuffix(unsigned vendorId, unsigned productId, int interfaceNumber) {
  char text[48];
  if (interfaceNumber >= 0)
    std::snprintf(text, sizeof text, "vid_%04x&pid_%04x&mi_%02d", vendorId, productId,
                  interfaceNumber);
  else
    std::snprintf(text, sizeof text, "vid_%04x&pid_%04x", vendorId, productId);
  return text;
}

// Reads the whole of `text` as one unsigned number, or fails.
template <typename Number>
std::optional<Number> wholeNumber(std::string_view text, int base) {
  Number value{};
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Takes `prefix` and then `digits` characters off the front of `text`; nullopt when it does
// not start with `prefix`.
std::optional<std::string_view> takeField(std::string_view& text, std::string_view prefix,
                                          std::size_t digits) {
  if (!text.starts_with(prefix)) return std::nullopt;
  text.remove_prefix(prefix.size());
  const std::string_view field = text.substr(0, digits);
  text.remove_prefix(field.size());
  return field;
}

// True when `suffix` is exactly what identitySuffix makes for some identity. Parsing and
// formatting again refuses upper-case hex, extra zeros and anything trailing.
bool isIdentitySuffix(const std::string_view suffix) {
  std::string_view rest = suffix;
  const auto vidText = takeField(rest, "vid_", 4);
  const auto pidText = takeField(rest, "&pid_", 4);
  if (!vidText || !pidText) return false;
  const auto vendorId = wholeNumber<unsigned short>(*vidText, 16);
  const auto productId = wholeNumber<unsigned short>(*pidText, 16);
  if (!vendorId || !productId) return false;

  int interfaceNumber = -1;
  if (!rest.empty()) {
    const auto miText = takeField(rest, "&mi_", std::string_view::npos);
    const auto number = miText ? wholeNumber<unsigned>(*miText, 10) : std::nullopt;
    // USB interface numbers are one byte; anything larger is none of ours.
    if (!number || *number > 255) return false;
    interfaceNumber = static_cast<int>(*number);
  }
  return identitySuffix(*vendorId, *productId, interfaceNumber) == suffix;
}

// A node name split into the text before its trailing digits and those digits.
struct NodeName {
  std::string_view stem;
  std::string_view digits;  // without leading zeros; empty for "0" and for no number at all
  bool hasNumber;
};

NodeName splitNodeName(std::string_view node) {
  const auto stemEnd = node.find_last_not_of("0123456789");
  const std::size_t digitsBegin = stemEnd == std::string_view::npos ? 0 : stemEnd + 1;
  std::string_view digits = node.substr(digitsBegin);
  const bool hasNumber = !digits.empty();
  digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
  return {node.substr(0, digitsBegin), digits, hasNumber};
}

// Natural order: "/dev/hidraw2" before "/dev/hidraw10". Numbers are compared as digit
// strings, so no node number can overflow; equal names fall back to plain text.
bool naturalNodeLess(std::string_view a, std::string_view b) {
  const NodeName left = splitNodeName(a), right = splitNodeName(b);
  if (left.stem != right.stem) return left.stem < right.stem;
  if (left.hasNumber != right.hasNumber) return !left.hasNumber;
  if (left.digits.size() != right.digits.size()) return left.digits.size() < right.digits.size();
  if (left.digits != right.digits) return left.digits < right.digits;
  return a < b;
}

}  // namespace

std::string interfacePathOf(const HidEnumerationEntry& entry) {
  return entry.nodePath + kSeparator +
         identitySuffix(entry.vendorId, entry.productId, entry.interfaceNumber);
}

std::vector<std::string> interfacePathsOf(const std::vector<HidEnumerationEntry>& entries) {
  struct Listed {
    std::string node, path;
  };
  std::vector<Listed> listed;
  for (const auto& entry : entries) {
    std::string path = interfacePathOf(entry);
    // Every listed path must lead back to its node, or open() could not find it again.
    if (hidrawNodeOfPath(path) == entry.nodePath)
      listed.push_back({entry.nodePath, std::move(path)});
  }

  std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
    if (a.node != b.node) return naturalNodeLess(a.node, b.node);
    return a.path < b.path;
  });
  // Sorted, every repeat of a path sits next to its first listing.
  listed.erase(std::unique(listed.begin(), listed.end(),
                           [](const Listed& a, const Listed& b) { return a.path == b.path; }),
               listed.end());

  std::vector<std::string> paths;
  paths.reserve(listed.size());
  for (auto& item : listed) paths.push_back(std::move(item.path));
  return paths;
}

std::optional<std::string> hidrawNodeOfPath(const std::string& path) {
  const auto separator = path.rfind(kSeparator);
  if (separator == std::string::npos) return std::nullopt;
  const std::string_view node = std::string_view(path).substr(0, separator);
  // Only absolute node paths; a NUL would cut the path short on its way to open().
  if (!node.starts_with('/') || node.find('\0') != std::string_view::npos) return std::nullopt;
  if (!isIdentitySuffix(std::string_view(path).substr(separator + 1))) return std::nullopt;
  return std::string(node);
}
