#pragma once

#include <string_view>

// Dialog templates give positions in dialog units, which scale with the dialog's font:
// a horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height. These pure functions do that arithmetic.

struct DialogBaseUnits {
  int x = 0;  // average character width in pixels
  int y = 0;  // character height in pixels
};

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The 52 letters whose total advance gives the average character width.
inline constexpr std::string_view kAverageWidthSample =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Base units from the total advance of kAverageWidthSample and the font's line height.
// The average is rounded to the nearest pixel, halves up.
DialogBaseUnits baseUnitsFromFont(int sampleAdvance, int fontHeight);

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDivRound(int a, int b, int c);

PixelRect dialogRectToPixels(int x, int y, int w, int h, DialogBaseUnits base);
