// Design sizes are kept in twips (1440 to the inch); points are 20 twips. This turns them into
// pixels for a screen's DPI, rounding to the nearest pixel as the system's MulDiv does.
#pragma once

namespace karuvel {

constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerPoint = 20;

constexpr int MulDivRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}

constexpr int TwipsToPixels(int twips, int dpi) { return MulDivRounded(twips, dpi, kTwipsPerInch); }
constexpr int PixelsToTwips(int pixels, int dpi) { return MulDivRounded(pixels, kTwipsPerInch, dpi); }

}  // namespace karuvel
