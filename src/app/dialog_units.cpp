#include "app/dialog_units.h"

#include <cstdint>
#include <cstdlib>

DialogBaseUnits baseUnitsFromFont(int sampleAdvance, int fontHeight) {
  const int letters = static_cast<int>(kAverageWidthSample.size()) / 2;  // advance per 2 letters
  return DialogBaseUnits{(sampleAdvance / letters + 1) / 2, fontHeight};
}

int mulDivRound(int a, int b, int c) {
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

PixelRect dialogRectToPixels(int x, int y, int w, int h, DialogBaseUnits base) {
  return PixelRect{mulDivRound(x, base.x, 4), mulDivRound(y, base.y, 8),
                   mulDivRound(w, base.x, 4), mulDivRound(h, base.y, 8)};
}
