#include "device/identity_text.h"

#include <algorithm>
#include <array>

namespace {

// The classic substring rules the texts were designed with: a start or count beyond the text
// gives what is there, never an error.
std::string_view left(std::string_view text, std::size_t count) { return text.substr(0, count); }
std::string_view right(std::string_view text, std::size_t count) {
  return text.substr(text.size() - std::min(count, text.size()));
}
std::string_view mid(std::string_view text, std::size_t start, std::size_t count) {
  return start >= text.size() ? std::string_view{} : text.substr(start, count);
}

}  // namespace

std::string FirmwareLabelText(std::string_view identity) {
  const std::size_t last = identity.rfind(',');
  const std::string_view head = last == std::string_view::npos ? "" : identity.substr(0, last);
  const std::size_t split = head.rfind(',');
  if (split == std::string_view::npos) return std::string(head);
  std::string label(head.substr(0, split));
  std::erase(label, ',');
  label += head.substr(split);
  return label;
}

std::string VersionText(std::string_view identity) {
  const std::size_t last = identity.rfind(',');
  return std::string(last == std::string_view::npos ? identity : identity.substr(last + 1));
}

std::string MonthNumberText(std::string_view monthName) {
  static constexpr std::array<std::string_view, 12> kMonths{
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const auto found = std::find(kMonths.begin(), kMonths.end(), monthName);
  return found == kMonths.end() ? "1" : std::to_string(found - kMonths.begin() + 1);
}

BuildDateText ParseBuildDate(std::string_view dateTime) {
  const std::size_t comma = dateTime.find(',');
  const std::string_view date = comma == std::string_view::npos ? "" : dateTime.substr(0, comma);
  BuildDateText parsed;
  parsed.year = right(date, 4);
  parsed.month = MonthNumberText(left(date, 3));
  parsed.day = mid(date, 4, 2);
  std::erase(parsed.day, ' ');
  parsed.time = comma == std::string_view::npos ? dateTime : dateTime.substr(comma + 1);
  return parsed;
}

std::string VersionLabelText(std::string_view version, const BuildDateText& date) {
  std::string label(version);
  label += " --- " + date.year + "/" + date.month + "/" + date.day + " " + date.time;
  return label;
}
