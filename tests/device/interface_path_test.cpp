// Reading VID and PID texts from interface paths, and the walk over present interfaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/interface_path.h"
#include "device/interface_walk.h"

namespace {

struct PathCase {
  const char* path;
  bool matchesBootloader;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.path; }

class BootloaderPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(BootloaderPath, MatchesByTextIgnoringCaseOfTheDigitsOnly) {
  EXPECT_EQ(PathHasIds(GetParam().path, "0x0416", "0x3F01"), GetParam().matchesBootloader)
      << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BootloaderPath,
    ::testing::Values(PathCase{"/dev/hidraw1#vid_0416&pid_3f01", true},
                      PathCase{"/dev/hidraw1#vid_0416&pid_3F01", true},
                      PathCase{"\\\\?\\hid#vid_0416&pid_3f01&mi_00#7&1a2b", true},
                      PathCase{"x#VID_0416&PID_3F01", false},   // the keys are case-sensitive
                      PathCase{"x#vid_0416&PID_3F01", false},
                      PathCase{"x#vid_0416", false},            // no PID at all
                      PathCase{"x#vid_0416&pid_3f0", false},    // too short to be equal
                      PathCase{"x#vid_0416&pid_7472&mi_02", false},
                      PathCase{"x#vid_0417&pid_3f01", false},
                      PathCase{"vid_0416&pid_3f01vid_9999", true}));  // the first "vid_" counts

TEST(IdText, IsTheFourCharactersAfterTheFirstKey) {
  EXPECT_EQ(IdTextAfter("a#vid_04ab&pid_1234", "vid_"), "0x04ab");
  EXPECT_EQ(IdTextAfter("a#vid_04ab&pid_1234", "pid_"), "0x1234");
  EXPECT_EQ(IdTextAfter("a#vid_04", "vid_"), "0x04");
  EXPECT_EQ(IdTextAfter("a#VID_04ab", "vid_"), std::nullopt);
}

TEST(IdText, ComparesWholeTextsIgnoringAsciiCase) {
  EXPECT_TRUE(SameIdText("0x3f01", "0x3F01"));
  EXPECT_TRUE(SameIdText("0X3F01", "0x3f01"));
  EXPECT_FALSE(SameIdText("3F01", "0x3F01"));
  EXPECT_FALSE(SameIdText("0x3F0", "0x3F01"));
  EXPECT_FALSE(SameIdText("0x3F01 ", "0x3F01"));
}

class ListedPort : public HidPort {
 public:
  std::optional<std::vector<std::string>> paths;
  std::optional<std::vector<std::string>> presentInterfaces() override { return paths; }
  OpenResult open(const std::string&) override { return {}; }
};

TEST(InterfaceWalk, OffersPathsInOrderUntilTheVisitorStops) {
  ListedPort port;
  port.paths = std::vector<std::string>{"a", "b", "c", "d"};
  std::vector<std::string> seen;
  EXPECT_EQ(WalkInterfaces(port, [&](const std::string& p) {
              seen.push_back(p);
              return p == "c";
            }),
            WalkResult::Walked);
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(InterfaceWalk, SkipsPathsThatDoNotFitTheDetailRecord) {
  ListedPort port;
  port.paths = std::vector<std::string>{std::string(1019, 'x'), std::string(1020, 'y'), "z"};
  std::vector<std::size_t> seen;
  WalkInterfaces(port, [&](const std::string& p) {
    seen.push_back(p.size());
    return false;
  });
  EXPECT_EQ(seen, (std::vector<std::size_t>{1019, 1}));
}

TEST(InterfaceWalk, ReportsWhenNothingCanBeListed) {
  ListedPort port;
  bool visited = false;
  EXPECT_EQ(WalkInterfaces(port, [&](const std::string&) { return visited = true; }),
            WalkResult::NoList);
  EXPECT_FALSE(visited);
}

}  // namespace
