#include "app/dialog_template.h"

#include <array>

#include "app/resource_ids.h"

namespace {

using K = ControlKind;
using A = TextAlign;

constexpr unsigned kButton = kTabStop;
constexpr unsigned kEdit = kTabStop | kBorder | kAutoHScroll;

// Template order is tab order.
constexpr std::array kControls = {
    ControlTemplate{IDC_UPGRADE, K::PushButton, "Upgrade", 209, 48, 64, 19, A::Default, kButton},
    ControlTemplate{IDC_PROGRESS, K::ProgressBar, "", 16, 26, 257, 14, A::Default,
                    kBorder | kModalFrame},
    ControlTemplate{IDC_STATIC, K::Static, "Upgrade progress:", 16, 13, 78, 8, A::Left, kGroup},
    ControlTemplate{IDC_FW_INFO, K::Static, "NUC121,01,KB,NONE,KEYBOARD_RGB", 40, 105, 144, 8,
                    A::Left, kNoStyle},
    ControlTemplate{IDC_FW_VERSION, K::Static, "0001 --- Jan  7 2020  19:00:16", 40, 119, 145, 8,
                    A::Left, kNoStyle},
    ControlTemplate{IDC_STATIC, K::Static, "VID:", 16, 56, 15, 8, A::Right, kNoStyle},
    ControlTemplate{IDC_STATIC, K::Static, "PID:", 93, 56, 14, 8, A::Right, kNoStyle},
    ControlTemplate{IDC_VID, K::Edit, "", 35, 53, 49, 14, A::Default, kEdit},
    ControlTemplate{IDC_PID, K::Edit, "", 111, 53, 54, 14, A::Default, kEdit},
    ControlTemplate{IDC_LOCK, K::AutoCheckBox, "Lock", 174, 56, 32, 10, A::Default, kButton},
    ControlTemplate{IDC_STATIC, K::Static, "VER:", 14, 119, 19, 8, A::Right, kNoStyle},
    ControlTemplate{IDC_STATIC, K::Static, "F/W:", 12, 105, 21, 8, A::Right, kNoStyle},
    ControlTemplate{IDC_STATIC, K::Static, "Connection status:", 13, 81, 63, 9, A::Right,
                    kNoStyle},
    ControlTemplate{IDC_STATUS, K::Static, "Default", 83, 81, 97, 10, A::Left, kNoStyle},
    ControlTemplate{IDC_FORCE, K::AutoCheckBox, "强制升级", 190, 76, 41, 10, A::Default, kButton},
    ControlTemplate{IDC_SUCCESS_COUNT, K::Static, "99999", 172, 13, 27, 8, A::Left, kNoStyle},
    ControlTemplate{IDC_FAIL_COUNT, K::Static, "99999", 245, 13, 27, 8, A::Left, kNoStyle},
    ControlTemplate{IDC_SUCCESS_CAPTION, K::Static, "成功次数：", 127, 13, 41, 8, A::Right,
                    kNoStyle},
    ControlTemplate{IDC_FAIL_CAPTION, K::Static, "失败次数：", 200, 13, 41, 8, A::Right,
                    kNoStyle},
    ControlTemplate{IDC_RESULT, K::Static, "Default", 201, 108, 70, 23, A::Center, kNoStyle},
    ControlTemplate{IDC_AUTO_UPGRADE, K::AutoCheckBox, "自动升级", 235, 76, 38, 10, A::Default,
                    kButton},
    ControlTemplate{IDC_CLEAR_PAIRING, K::AutoCheckBox, "清除配对信息", 192, 91, 82, 10,
                    A::Default, kButton},
};

constexpr DialogTemplate kDialog{IDD_FERROWIND_DIALOG,
                                 "Brennic Tarnwick V1.0.0.1",
                                 "MS Shell Dlg",
                                 9,
                                 288,
                                 144,
                                 kControls};

}  // namespace

const DialogTemplate& ferrowindDialogTemplate() { return kDialog; }
