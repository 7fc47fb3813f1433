// The udev rule: well-formed, and granting the person at the seat the keyboard's hidraw nodes
// of every product the program is built for, its bootloader's, and nothing more.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/build_profile.h"
#include "device/permission_hint.h"

namespace {

// The rule the program's permission trace tells the operator to install.
const std::string kRulePath = std::string(FERROWIND_PACKAGING_DIR) + "/udev/" + kUdevRuleName;

struct Assignment {
  std::string key;        // SUBSYSTEM, ATTRS, TAG...
  std::string attribute;  // inside {}, if any
  std::string op;         // ==, !=, =, +=, -=, :=
  std::string value;
};

// One rule line as udev reads it: comma-separated KEY[{attribute}]<op>"value" pairs. Empty on
// a line that does not have that form.
std::vector<Assignment> parseRule(const std::string& line) {
  static const std::regex pair(R"(^\s*([A-Z_]+)(?:\{([^}]+)\})?(==|!=|\+=|-=|:=|=)\"([^\"]*)\"\s*$)");
  std::vector<Assignment> rule;
  std::stringstream fields(line);
  std::string field;
  while (std::getline(fields, field, ',')) {
    std::smatch m;
    if (!std::regex_match(field, m, pair)) return {};
    rule.push_back({m[1], m[2], m[3], m[4]});
  }
  return rule;
}

std::vector<std::string> ruleLines() {
  std::ifstream file(kRulePath);
  EXPECT_TRUE(file) << kRulePath;
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    lines.push_back(line);
  }
  return lines;
}

std::string pidOf(const std::string& pidText) {  // "0x7472" -> "7472", as udev spells it
  std::string hex = pidText.substr(2);
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return hex;
}

TEST(UdevRule, EveryLineIsAHidrawMatchThatOnlyTagsForTheSeat) {
  const std::vector<std::string> lines = ruleLines();
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    const std::vector<Assignment> rule = parseRule(line);
    ASSERT_FALSE(rule.empty()) << "not a udev rule: " << line;
    std::set<std::string> seen;
    for (const Assignment& a : rule) {
      const std::string what = a.key + (a.attribute.empty() ? "" : "{" + a.attribute + "}");
      seen.insert(what + a.op);
      if (a.key == "TAG") {
        EXPECT_EQ(a.op, "+=") << line;
        EXPECT_EQ(a.value, "uaccess") << line;
      } else {
        EXPECT_EQ(a.op, "==") << "only matches besides the tag: " << line;
      }
      if (what == "SUBSYSTEM") {
        EXPECT_EQ(a.value, "hidraw") << line;
      } else if (what == "ATTRS{idVendor}") {
        EXPECT_EQ(a.value, "0416") << line;
      } else if (what == "ATTRS{idProduct}") {
        EXPECT_TRUE(std::regex_match(a.value, std::regex("[0-9a-f]{4}"))) << "lower-case hex: " << line;
      }
    }
    EXPECT_EQ(seen, (std::set<std::string>{"SUBSYSTEM==", "ATTRS{idVendor}==",
                                           "ATTRS{idProduct}==", "TAG+="}))
        << "no MODE, GROUP, OWNER, RUN or anything else: " << line;
  }
}

TEST(UdevRule, CoversEveryProductAndTheBootloaderAndNothingElse) {
  std::set<std::string> expected = {"3f01"};  // the bootloader
  for (int profile = 0; profile < 16; ++profile)
    if (const auto p = productProfile(profile)) expected.insert(pidOf(p->pidText));
  ASSERT_TRUE(expected.count("7472") && expected.count("7473") && expected.count("7474"));

  std::set<std::string> covered;
  for (const std::string& line : ruleLines())
    for (const Assignment& a : parseRule(line))
      if (a.key == "ATTRS" && a.attribute == "idProduct") covered.insert(a.value);
  EXPECT_EQ(covered, expected);
}

TEST(UdevRule, SortsBeforeTheRulesThatApplyTheSeatTag) {
  EXPECT_LT(std::string(kUdevRuleName), std::string("73-seat-late.rules"));
}

TEST(UdevRule, PassesUdevsOwnCheckWhereThereIsOne) {
  if (std::system("udevadm verify --help >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no udevadm with a verify command here (systemd 253 and later have one)";
  EXPECT_EQ(std::system(("udevadm verify " + kRulePath).c_str()), 0);
}

TEST(UdevRuleParser, RefusesWhatUdevWouldNotRead) {
  EXPECT_TRUE(parseRule(R"(SUBSYSTEM=="hidraw", TAG+="uaccess")").size() == 2);
  EXPECT_TRUE(parseRule(R"(SUBSYSTEM=="hidraw" TAG+="uaccess")").empty());  // no comma
  EXPECT_TRUE(parseRule(R"(SUBSYSTEM==hidraw)").empty());                   // no quotes
  EXPECT_TRUE(parseRule(R"(ATTRS{idVendor=="0416")").empty());
}

}  // namespace
