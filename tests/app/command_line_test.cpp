#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

TEST(CommandLine, KnowsItsOptionsAndRefusesOthers) {
  EXPECT_FALSE(ParseCommandLine({}).simulate);
  EXPECT_TRUE(ParseCommandLine({}).error.empty());
  EXPECT_TRUE(ParseCommandLine({"--simulate"}).simulate);
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"-h"}).help);
  EXPECT_EQ(ParseCommandLine({"--simulate", "--fast"}).error, "unknown option: --fast");
  EXPECT_EQ(ParseCommandLine({"simulate"}).error, "unknown option: simulate");
}

}  // namespace
