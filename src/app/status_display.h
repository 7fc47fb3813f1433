#pragma once

#include <optional>

// What the status, result and counter labels look like: only their text colour changes.
struct TextColor {
  int red = 0;
  int green = 0;
  int blue = 0;
  friend bool operator==(const TextColor&, const TextColor&) = default;
};

inline constexpr TextColor kRedText{200, 0, 0};
inline constexpr TextColor kGreenText{0, 128, 0};

// The text colour of a control: the status follows `connected`, the result `lastOk`, the
// success counter is green and the failure counter red; none for every other control.
std::optional<TextColor> LabelTextColor(int controlId, bool connected, bool lastOk);

// Where an icon goes, centred in the client area of a minimised window: half the room left
// over on each side, rounded the way integer division truncates.
struct IconOrigin {
  int left = 0;
  int top = 0;
  friend bool operator==(const IconOrigin&, const IconOrigin&) = default;
};
IconOrigin CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);
