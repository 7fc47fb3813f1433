// The build-date answer ("Mmm dd yyyy,hh:mm:ss") becomes the version label. A keyboard may
// answer anything at all; what a well-formed date says must come through unchanged.
#include <algorithm>
#include <cstdio>
#include <string>

#include "check.h"
#include "device/identity_text.h"

namespace {

constexpr std::string_view kMonthNames = "JanFebMarAprMayJunJulAugSepOctNovDec";

bool isMonthNumber(const std::string& text) {
  for (int m = 1; m <= 12; ++m)
    if (text == std::to_string(m)) return true;
  return false;
}

// The month's number as this check reads it: its place in the names, or 1.
std::string expectedMonth(std::string_view name) {
  const std::size_t at = name.size() == 3 ? kMonthNames.find(name) : std::string_view::npos;
  return at == std::string_view::npos || at % 3 != 0 ? "1" : std::to_string(at / 3 + 1);
}

void checkAnyText(std::string_view text) {
  const std::string month = MonthNumberText(text);
  FUZZ_CHECK(isMonthNumber(month));
  FUZZ_CHECK(month == expectedMonth(text));

  const BuildDateText date = ParseBuildDate(text);
  FUZZ_CHECK(isMonthNumber(date.month));
  FUZZ_CHECK(date.day.size() <= 2 && date.day.find(' ') == std::string::npos);
  FUZZ_CHECK(date.year.size() <= 4);
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) {
    // Without the comma there is no date, only a time.
    FUZZ_CHECK(date.year.empty() && date.day.empty() && date.month == "1");
    FUZZ_CHECK(date.time == text);
  } else {
    const std::string_view datePart = text.substr(0, comma);
    FUZZ_CHECK(datePart.ends_with(date.year));
    FUZZ_CHECK(date.year.size() == std::min<std::size_t>(datePart.size(), 4));
    FUZZ_CHECK(date.month == expectedMonth(datePart.substr(0, 3)));
    FUZZ_CHECK(date.time == text.substr(comma + 1));
  }

  const std::string version(text.substr(0, text.size() / 3));
  const std::string label = VersionLabelText(version, date);
  FUZZ_CHECK(label.starts_with(version + " --- " + date.year + "/" + date.month + "/"));
  FUZZ_CHECK(label.ends_with(date.day + " " + date.time));
  FUZZ_CHECK(label.size() == version.size() + 5 + date.year.size() + 1 + date.month.size() + 1 +
                                 date.day.size() + 1 + date.time.size());
}

// A date as a compiler's __DATE__ and __TIME__ write it, made from the input's first bytes.
void checkWellFormedDate(const std::uint8_t* data, std::size_t size) {
  if (size < 7) return;
  const int month = data[0] % 12 + 1;
  const int day = data[1] % 31 + 1;
  const int year = 1000 + (data[2] << 8 | data[3]) % 9000;
  char text[32];
  std::snprintf(text, sizeof text, "%.3s %2d %04d,%02d:%02d:%02d",
                kMonthNames.data() + 3 * (month - 1), day, year, data[4] % 24, data[5] % 60,
                data[6] % 60);
  const BuildDateText parsed = ParseBuildDate(text);
  FUZZ_CHECK(parsed.month == std::to_string(month));
  FUZZ_CHECK(parsed.day == std::to_string(day));
  FUZZ_CHECK(parsed.year == std::to_string(year));
  FUZZ_CHECK(parsed.time.size() == 8 && std::string_view(text).ends_with("," + parsed.time));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkAnyText(fuzz::textOf(data, size));
  checkWellFormedDate(data, size);
  return 0;
}
