// The desktop entry and its icon: what a desktop needs to list and start the program.
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace {

const std::string kEntryPath = std::string(FERROWIND_PACKAGING_DIR) + "/desktop/ferrowind.desktop";

std::map<std::string, std::string> readEntry() {
  std::ifstream file(kEntryPath);
  EXPECT_TRUE(file) << kEntryPath;
  std::map<std::string, std::string> keys;
  std::string line;
  EXPECT_TRUE(std::getline(file, line) && line == "[Desktop Entry]");
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto equals = line.find('=');
    EXPECT_NE(equals, std::string::npos) << line;
    keys[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return keys;
}

TEST(DesktopEntry, StartsTheProgramWithItsIconUnderUtilityAndSystem) {
  auto keys = readEntry();
  EXPECT_EQ(keys["Type"], "Application");
  EXPECT_EQ(keys["Name"], "Ferrowind");
  EXPECT_EQ(keys["Exec"], "ferrowind");
  EXPECT_EQ(keys["Icon"], "ferrowind");
  EXPECT_EQ(keys["Terminal"], "false");
  EXPECT_EQ(keys["Categories"], "Utility;System;");
  EXPECT_FALSE(keys["Comment"].empty());
}

TEST(DesktopEntry, IconIsTheSizeOfTheThemeFolderItGoesTo) {
  const QImage icon(QString::fromUtf8(FERROWIND_ICON_PATH));
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), QSize(64, 64));  // installed to hicolor/64x64/apps
}

TEST(DesktopEntry, PassesTheDesktopFileValidator) {
  if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "desktop-file-validate is not installed";
  EXPECT_EQ(std::system(("desktop-file-validate " + kEntryPath).c_str()), 0);
}

}  // namespace
