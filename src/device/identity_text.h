#pragma once

#include <string>
#include <string_view>

// How the device's identity and build-date texts become what the dialog shows.
//
// The identity text is "chip,code2,type,custom,product,version"; the date text is the build
// date as "Mmm dd yyyy" (day padded with a space), a comma and the build time "hh:mm:ss".

// The firmware label: the identity without its last field, the fields before the product
// type run together, e.g. "M484,01,KB,JV,KEYBOARD_RGB,0101" -> "M48401KBJV,KEYBOARD_RGB".
// Empty when the text has no comma.
std::string FirmwareLabelText(std::string_view identity);

// The version: the text after the last comma (all of it when there is none).
std::string VersionText(std::string_view identity);

// "1" for "Jan" to "12" for "Dec" (exact, case-sensitive); "1" for anything else.
std::string MonthNumberText(std::string_view monthName);

// The build date and time as the version label shows them.
struct BuildDateText {
  std::string year;   // last four characters of the date
  std::string month;  // month number
  std::string day;    // without the padding space
  std::string time;
  friend bool operator==(const BuildDateText&, const BuildDateText&) = default;
};
BuildDateText ParseBuildDate(std::string_view dateTime);

// "<version> --- <year>/<month>/<day> <time>", e.g. "0101 --- 2020/1/7 19:00:16".
std::string VersionLabelText(std::string_view version, const BuildDateText& date);
