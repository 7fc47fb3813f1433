// How the keyboard's identity and build-date texts become the labels.
#include <gtest/gtest.h>

#include "device/identity_text.h"
#include "support/case_name.h"

namespace {

struct LabelCase {
  const char* name;
  const char* identity;
  const char* firmwareLabel;
  const char* version;
};
void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.identity; }

class IdentityLabels : public testing::TestWithParam<LabelCase> {};

TEST_P(IdentityLabels, FirmwareLabelAndVersion) {
  EXPECT_EQ(FirmwareLabelText(GetParam().identity), GetParam().firmwareLabel);
  EXPECT_EQ(VersionText(GetParam().identity), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IdentityLabels,
    testing::Values(
        LabelCase{"six fields", "M484,01,KB,JV,KEYBOARD_RGB,0101", "M48401KBJV,KEYBOARD_RGB", "0101"},
        LabelCase{"seven fields", "A,B,C,D,E,F,G", "ABCDE,F", "G"},
        LabelCase{"three fields", "A,B,C", "A,B", "C"},
        LabelCase{"two fields", "A,B", "A", "B"},
        LabelCase{"no comma", "JUSTTEXT", "", "JUSTTEXT"},
        LabelCase{"empty", "", "", ""},
        LabelCase{"ends with a comma", "A,B,C,", "AB,C", ""},
        LabelCase{"starts with a comma", ",X", "", "X"},
        LabelCase{"empty fields", ",,,", ",", ""}),
    [](const auto& info) { return caseName(info.param.name); });

struct DateCase {
  const char* name;
  const char* dateTime;
  BuildDateText parsed;
  const char* versionLabel;  // with version "0101"
};
void PrintTo(const DateCase& c, std::ostream* os) { *os << '"' << c.dateTime << '"'; }

class BuildDates : public testing::TestWithParam<DateCase> {};

TEST_P(BuildDates, ParsedAndShown) {
  const BuildDateText parsed = ParseBuildDate(GetParam().dateTime);
  EXPECT_EQ(parsed.year, GetParam().parsed.year);
  EXPECT_EQ(parsed.month, GetParam().parsed.month);
  EXPECT_EQ(parsed.day, GetParam().parsed.day);
  EXPECT_EQ(parsed.time, GetParam().parsed.time);
  EXPECT_EQ(VersionLabelText("0101", parsed), GetParam().versionLabel);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BuildDates,
    testing::Values(
        DateCase{"day padded with a space", "Jan  7 2020,19:00:16", {"2020", "1", "7", "19:00:16"},
                 "0101 --- 2020/1/7 19:00:16"},
        DateCase{"two digit day", "Dec 11 2026,09:30:00", {"2026", "12", "11", "09:30:00"},
                 "0101 --- 2026/12/11 09:30:00"},
        DateCase{"day with a leading zero", "Mar 07 2021,01:02:03", {"2021", "3", "07", "01:02:03"},
                 "0101 --- 2021/3/07 01:02:03"},
        DateCase{"unknown month", "Foo 12 2021,10:00:00", {"2021", "1", "12", "10:00:00"},
                 "0101 --- 2021/1/12 10:00:00"},
        DateCase{"month in lower case", "jun 12 2021,10:00:00", {"2021", "1", "12", "10:00:00"},
                 "0101 --- 2021/1/12 10:00:00"},
        DateCase{"no comma", "Jan  7 2020", {"", "1", "", "Jan  7 2020"},
                 "0101 --- /1/ Jan  7 2020"},
        DateCase{"short date", "Ja,t", {"Ja", "1", "", "t"}, "0101 --- Ja/1/ t"},
        DateCase{"two commas", "Feb  1 2022,a,b", {"2022", "2", "1", "a,b"},
                 "0101 --- 2022/2/1 a,b"},
        DateCase{"empty", "", {"", "1", "", ""}, "0101 --- /1/ "}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(BuildDates, EveryMonthHasItsNumber) {
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(MonthNumberText(months[i]), std::to_string(i + 1));
  for (const char* other : {"", "JAN", "Janu", "Ja", "Sept"}) EXPECT_EQ(MonthNumberText(other), "1");
}

}  // namespace
