#include <gtest/gtest.h>

#include "device/hid_interface_paths.h"

namespace {

struct FormatCase {
  HidEnumerationEntry entry;
  const char* expected;
};

TEST(HidInterfacePaths, FormatsNodeThenLowerCaseIdentity) {
  const FormatCase cases[] = {
      {{"/dev/hidraw3", 0x0416, 0x7472, 2}, "/dev/hidraw3#vid_0416&pid_7472&mi_02"},
      {{"/dev/hidraw0", 0x0416, 0x3F01, 0}, "/dev/hidraw0#vid_0416&pid_3f01&mi_00"},
      {{"/dev/hidraw1", 0x0001, 0x000a, 3}, "/dev/hidraw1#vid_0001&pid_000a&mi_03"},
      {{"/dev/hidraw12", 0xABCD, 0xFFFF, 11}, "/dev/hidraw12#vid_abcd&pid_ffff&mi_11"},
      {{"/dev/hidraw4", 0x0000, 0x0000, -1}, "/dev/hidraw4#vid_0000&pid_0000"},  // no mi_
      {{"/dev/hidraw5", 0x0416, 0x7472, 100}, "/dev/hidraw5#vid_0416&pid_7472&mi_100"},
  };
  for (const auto& c : cases) EXPECT_EQ(interfacePathOf(c.entry), c.expected);
}

TEST(HidInterfacePaths, ListsEachInterfaceOnce) {
  // hidapi gives one row per usage of a node: three rows here for hidraw1.
  const std::vector<HidEnumerationEntry> entries = {
      {"/dev/hidraw1", 0x0416, 0x7472, 1},
      {"/dev/hidraw0", 0x0416, 0x7472, 0},
      {"/dev/hidraw1", 0x0416, 0x7472, 1},
      {"/dev/hidraw1", 0x0416, 0x7472, 1},
  };
  const std::vector<std::string> expected = {
      "/dev/hidraw0#vid_0416&pid_7472&mi_00",
      "/dev/hidraw1#vid_0416&pid_7472&mi_01",
  };
  EXPECT_EQ(interfacePathsOf(entries), expected);
}

struct OrderCase {
  std::vector<const char*> nodes;     // as hidapi lists them
  std::vector<const char*> expected;  // the nodes of the paths, in order
};

TEST(HidInterfacePaths, OrdersNodesNaturally) {
  const OrderCase cases[] = {
      {{"/dev/hidraw10", "/dev/hidraw2", "/dev/hidraw1"},
       {"/dev/hidraw1", "/dev/hidraw2", "/dev/hidraw10"}},
      {{"/dev/hidraw100", "/dev/hidraw99", "/dev/hidraw0"},
       {"/dev/hidraw0", "/dev/hidraw99", "/dev/hidraw100"}},
      // A name without a number comes before the numbered ones of the same stem.
      {{"/dev/hidraw3", "/dev/hidraw"}, {"/dev/hidraw", "/dev/hidraw3"}},
      // Equal numbers written differently fall back to text.
      {{"/dev/hidraw2", "/dev/hidraw02"}, {"/dev/hidraw02", "/dev/hidraw2"}},
      // Different stems are ordered by their text first.
      {{"/dev/zz1", "/dev/hidraw9", "/dev/a/hidraw10"},
       {"/dev/a/hidraw10", "/dev/hidraw9", "/dev/zz1"}},
      // A node number longer than any integer still sorts by value.
      {{"/dev/hidraw123456789012345678901", "/dev/hidraw99999999999999999999"},
       {"/dev/hidraw99999999999999999999", "/dev/hidraw123456789012345678901"}},
  };
  for (const auto& c : cases) {
    std::vector<HidEnumerationEntry> entries;
    for (const char* node : c.nodes) entries.push_back({node, 0x0416, 0x7472, 0});
    std::vector<std::string> expected;
    for (const char* node : c.expected)
      expected.push_back(std::string(node) + "#vid_0416&pid_7472&mi_00");
    EXPECT_EQ(interfacePathsOf(entries), expected) << c.nodes.front();
  }
}

TEST(HidInterfacePaths, OrderDoesNotDependOnListingOrder) {
  const std::vector<HidEnumerationEntry> forward = {
      {"/dev/hidraw2", 0x0416, 0x7472, 0},
      {"/dev/hidraw2", 0x0416, 0x7472, -1},  // same node, another identity: both stay
      {"/dev/hidraw10", 0x0416, 0x3f01, -1},
  };
  const std::vector<HidEnumerationEntry> backward(forward.rbegin(), forward.rend());
  const std::vector<std::string> expected = {
      "/dev/hidraw2#vid_0416&pid_7472",
      "/dev/hidraw2#vid_0416&pid_7472&mi_00",
      "/dev/hidraw10#vid_0416&pid_3f01",
  };
  EXPECT_EQ(interfacePathsOf(forward), expected);
  EXPECT_EQ(interfacePathsOf(backward), expected);
}

TEST(HidInterfacePaths, LeavesOutEntriesThatCouldNotBeOpenedAgain) {
  const std::vector<HidEnumerationEntry> entries = {
      {"", 0x0416, 0x7472, 0},                // hidapi gave no node
      {"hidraw1", 0x0416, 0x7472, 0},         // not absolute
      {"/dev/hidraw2", 0x0416, 0x7472, 256},  // no USB interface number
      {"/dev/hidraw3", 0x0416, 0x7472, 255},
  };
  const std::vector<std::string> expected = {"/dev/hidraw3#vid_0416&pid_7472&mi_255"};
  EXPECT_EQ(interfacePathsOf(entries), expected);
}

TEST(HidInterfacePaths, EmptyListingGivesNoPaths) { EXPECT_TRUE(interfacePathsOf({}).empty()); }

TEST(HidInterfacePaths, PathsLeadBackToTheirNode) {
  const HidEnumerationEntry entries[] = {
      {"/dev/hidraw3", 0x0416, 0x7472, 2},    // the usual form
      {"/dev/hidraw0", 0xffff, 0x0000, -1},   // no mi_
      {"/dev/hidraw17", 0x0416, 0x3f01, 99},  // widest two-digit interface
      {"/dev/hidraw4", 0x0416, 0x3f01, 255},  // widest interface
      {"/dev/odd#name", 0x0416, 0x3f01, 1},   // a '#' in the node: the last one separates
      {"/tmp/x", 0x1234, 0x5678, 0},
  };
  for (const auto& entry : entries)
    EXPECT_EQ(hidrawNodeOfPath(interfacePathOf(entry)), entry.nodePath) << entry.nodePath;
}

TEST(HidInterfacePaths, RefusesPathsThatAreNotOurs) {
  const std::string foreign[] = {
      "",
      "/dev/hidraw3",                                       // no identity
      "/dev/hidraw3#",                                      // empty identity
      "#vid_0416&pid_7472",                                 // no node
      "hidraw3#vid_0416&pid_7472",                          // relative node
      "/dev/hidraw3#VID_0416&PID_7472",                     // upper-case names
      "/dev/hidraw3#vid_3F01&pid_7472",                     // upper-case hex
      "/dev/hidraw3#vid_416&pid_7472",                      // three hex digits
      "/dev/hidraw3#vid_04160&pid_7472",                    // five hex digits
      "/dev/hidraw3#vid_0416&pid_74g2",                     // not hex
      "/dev/hidraw3#vid_0416&pid_7472&mi_2",                // one digit
      "/dev/hidraw3#vid_0416&pid_7472&mi_002",              // extra zero
      "/dev/hidraw3#vid_0416&pid_7472&mi_256",              // beyond a byte
      "/dev/hidraw3#vid_0416&pid_7472&mi_-1",               // negative
      "/dev/hidraw3#vid_0416&pid_7472&mi_",                 // no digits
      "/dev/hidraw3#vid_0416&pid_7472&mi_02&x",             // trailing text
      "/dev/hidraw3#vid_0416&pid_7472&",                    // trailing '&'
      "/dev/hidraw3#pid_7472&vid_0416",                     // fields swapped
      "/dev/hidraw3#vid_0416&pid_7472#",                    // identity not last
      "/dev/hidraw3#vid_+416&pid_7472",                     // sign
      "/dev/hidraw3\\vid_0416&pid_7472",                    // another separator
      "\\\\?\\hid#vid_0416&pid_7472&mi_02#7&1a2b",          // a path of another system
      std::string("/dev/hid\0raw3#vid_0416&pid_7472", 31),  // NUL in the node
  };
  for (const auto& path : foreign) EXPECT_EQ(hidrawNodeOfPath(path), std::nullopt) << path;
}

}  // namespace
