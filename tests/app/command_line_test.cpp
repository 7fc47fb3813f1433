#include <gtest/gtest.h>

#include "app/build_profile.h"
#include "app/command_line.h"
#include "app/startup_probe.h"

namespace {

TEST(CommandLine, KnowsItsOptionsAndRefusesOthers) {
  EXPECT_FALSE(ParseCommandLine({}).simulate);
  EXPECT_TRUE(ParseCommandLine({}).error.empty());
  EXPECT_TRUE(ParseCommandLine({"--simulate"}).simulate);
  for (const char* known : {"--help", "-h", "--version"})
    EXPECT_TRUE(ParseCommandLine({known, "--simulate"}).error.empty()) << known;
  EXPECT_EQ(ParseCommandLine({"--simulate", "--fast"}).error, "unknown option: --fast");
  EXPECT_EQ(ParseCommandLine({"simulate"}).error, "unknown option: simulate");
  EXPECT_EQ(ParseCommandLine({"-version"}).error, "unknown option: -version");
}

TEST(CommandLine, HelpWinsOverVersionWhateverElseIsThere) {
  EXPECT_EQ(RequestedText({}), TextRequest::None);
  EXPECT_EQ(RequestedText({"--simulate", "-platform", "offscreen"}), TextRequest::None);
  EXPECT_EQ(RequestedText({"--version"}), TextRequest::Version);
  EXPECT_EQ(RequestedText({"--bogus", "--version"}), TextRequest::Version);
  EXPECT_EQ(RequestedText({"--version", "-h"}), TextRequest::Help);
  EXPECT_EQ(RequestedText({"-platform", "offscreen", "--help"}), TextRequest::Help);
  EXPECT_EQ(RequestedText({"--versions", "-help"}), TextRequest::None);
}

TEST(CommandLine, VersionNamesTheProgramTheProfileAndTheImage) {
  EXPECT_EQ(VersionText("1.2.3.4", 6, "M484,01,KB,JV,KEYBOARD_RGB,0102"),
            "ferrowind 1.2.3.4\n"
            "build profile 6: PID 0x7473, \"" + productProfile(6)->caption + "\"\n"
            "built-in image: M484,01,KB,JV,KEYBOARD_RGB,0102\n");
  EXPECT_EQ(VersionText("1.0", 3, "X"),
            "ferrowind 1.0\nbuild profile 3: no product (no PID)\nbuilt-in image: X\n");
}

// The start-up probe's line is read back by the process that measures the start-up.
TEST(StartupProbe, ItsLineReadsBackAndNothingElseDoes) {
  EXPECT_EQ(StartupProbeLine(25886798574223), "shown 25886798574223\n");
  EXPECT_EQ(ParseStartupProbeLine(StartupProbeLine(25886798574223)), 25886798574223);
  EXPECT_EQ(ParseStartupProbeLine("shown 0"), 0);
  EXPECT_EQ(ParseStartupProbeLine("shown 12\r\n"), 12);
  for (const char* notOne : {"", "shown", "shown ", "shown -5", "shown 12 ms", "Shown 12",
                             " shown 12", "shown 99999999999999999999", "shown 1\nshown 2"})
    EXPECT_EQ(ParseStartupProbeLine(notOne), -1) << notOne;
}

}  // namespace
