#pragma once

// Ids of the dialog template, its controls and the icon. Tests and every handler reach a
// control by these numbers, as the template table in dialog_template.cpp lists them.

inline constexpr int IDD_FERROWIND_DIALOG = 102;
inline constexpr int IDI_APP_ICON = 130;

inline constexpr int IDC_STATIC = -1;  // labels nobody addresses
inline constexpr int IDC_UPGRADE = 1000;
inline constexpr int IDC_PROGRESS = 1001;
inline constexpr int IDC_FW_INFO = 1002;
inline constexpr int IDC_FW_VERSION = 1003;
inline constexpr int IDC_VID = 1004;
inline constexpr int IDC_PID = 1005;
inline constexpr int IDC_LOCK = 1006;
inline constexpr int IDC_STATUS = 1007;
inline constexpr int IDC_FORCE = 1008;
inline constexpr int IDC_FAIL_COUNT = 1009;
inline constexpr int IDC_SUCCESS_COUNT = 1010;
inline constexpr int IDC_RESULT = 1011;
inline constexpr int IDC_AUTO_UPGRADE = 1012;
inline constexpr int IDC_CLEAR_PAIRING = 1013;
inline constexpr int IDC_FAIL_CAPTION = 1014;
inline constexpr int IDC_SUCCESS_CAPTION = 1015;

// Check state of a check box, as the handlers compare it.
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
