#include "curves/angle_colours.h"

#include <cmath>

namespace curves {

std::int16_t RoundChannel(double value) noexcept {
  if (std::isnan(value)) return 0;
  // nearbyint rounds half to even in the default rounding mode. Clamping first keeps the
  // conversion defined; 32767.5 and beyond saturate instead of overflowing.
  if (value >= 32767.0) return 32767;
  if (value <= -32768.0) return -32768;
  return static_cast<std::int16_t>(std::nearbyint(value));
}

namespace {

turtle::ColorValue Pack(double red, double green, double blue) noexcept {
  return turtle::PackColor(RoundChannel(red), RoundChannel(green), RoundChannel(blue));
}

}  // namespace

turtle::ColorValue Color1(double p) noexcept {
  if (p > 60) return Pack(8 * (p - 60), 8 * (p - 60), 125 + 4 * (p - 60));
  if (p > 30) return Pack(8 * (60 - p), 0, 0);
  return Pack(0, 8 * (30 - p), 8 * (30 - p));
}

turtle::ColorValue Color2(double p) noexcept {
  if (p > 60) return Pack(8 * (p - 60), 125 + 4 * (p - 60), 8 * (p - 60));
  if (p > 30) return Pack(8 * (60 - p), 125 + 4 * (p - 60), 0);
  return Pack(8 * p, 8 * (30 - p), 8 * (30 - p));
}

turtle::ColorValue Color3(double p) noexcept {
  if (p > 60) return Pack(8 * (p - 60), 125 + 4 * (p - 60), 8 * (p - 60));
  if (p > 30) return Pack(8 * (60 - p), 125 + 4 * (p - 60), 0);
  return Pack(8 * p, 8 * (30 - p), 0);
}

}  // namespace curves
