// Which interface discovery opens, walks past, or takes for the keyboard in its bootloader.
#include <gtest/gtest.h>

#include "device/interface_role.h"
#include "support/case_name.h"

namespace {

struct RoleCase {
  const char* name;
  const char* path;
  const char* vidText;
  const char* pidText;
  InterfaceRole role;
};
void PrintTo(const RoleCase& c, std::ostream* os) {
  *os << c.path << " with " << c.vidText << "/" << c.pidText;
}

class Roles : public testing::TestWithParam<RoleCase> {};

TEST_P(Roles, FollowThePathRules) {
  EXPECT_EQ(ClassifyInterface(GetParam().path, GetParam().vidText, GetParam().pidText, "0x0416",
                              "0x3F01"),
            GetParam().role);
}

constexpr auto Command = InterfaceRole::CommandInterface;
constexpr auto Boot = InterfaceRole::Bootloader;
constexpr auto Other = InterfaceRole::Other;

INSTANTIATE_TEST_SUITE_P(
    Paths, Roles,
    testing::Values(
        RoleCase{"command interface", "/dev/hidraw3#vid_0416&pid_7472&mi_02", "0x0416", "0x7472", Command},
        RoleCase{"another interface of it", "/dev/hidraw1#vid_0416&pid_7472&mi_00", "0x0416", "0x7472", Other},
        RoleCase{"interface 3 of it", "/dev/hidraw4#vid_0416&pid_7472&mi_03", "0x0416", "0x7472", Other},
        RoleCase{"7473 on interface 3 whatever the PID text", "k#vid_0416&pid_7473&mi_03", "0x0416", "0x7472", Command},
        RoleCase{"7474 on interface 3", "k#vid_0416&pid_7474&mi_03", "0x0416", "0x7400", Command},
        RoleCase{"7473 on interface 2", "k#vid_0416&pid_7473&mi_02", "0x0416", "0x7473", Other},
        RoleCase{"other PID", "k#vid_0416&pid_7475&mi_02", "0x0416", "0x7472", Other},
        RoleCase{"other VID", "k#vid_1234&pid_7472&mi_02", "0x0416", "0x7472", Other},
        RoleCase{"bootloader", "b#vid_0416&pid_3f01", "0x0416", "0x7472", Boot},
        RoleCase{"bootloader in capitals", "b#vid_0416&pid_3F01", "0x0416", "0x7472", Boot},
        RoleCase{"upper-case hex matches", "k#vid_04A6&pid_7A72&mi_02", "0x04a6", "0x7a72", Command},
        RoleCase{"capital keys never match", "k#VID_0416&PID_7472&MI_02", "0x0416", "0x7472", Other},
        RoleCase{"capital marker is no marker", "k#vid_0416&pid_7472&MI_02", "0x0416", "0x7472", Other},
        RoleCase{"marker anywhere in the path", "mi_02/k#vid_0416&pid_7472&mi_00", "0x0416", "0x7472", Command},
        RoleCase{"no pid", "k#vid_0416&mi_02", "0x0416", "0x7472", Other},
        RoleCase{"no vid", "k#pid_3f01", "0x0416", "0x7472", Other},
        RoleCase{"short id text", "k#vid_416", "0x416", "0x7472", Other},
        RoleCase{"VID text without 0x opens nothing", "k#vid_0416&pid_7472&mi_02", "0416", "0x7472", Other},
        RoleCase{"boot VID only: never opened", "k#vid_0416&pid_7472&mi_02", "0x1234", "0x7472", Other},
        RoleCase{"boot VID only: bootloader seen", "b#vid_0416&pid_3f01", "0x1234", "0x7472", Boot},
        RoleCase{"boot PID on another VID", "b#vid_1234&pid_3f01", "0x0416", "0x7472", Other},
        RoleCase{"first vid_ counts", "vid_1234#vid_0416&pid_7472&mi_02", "0x0416", "0x7472", Other}),
    [](const auto& info) { return caseName(info.param.name); });

}  // namespace
