#pragma once
// The hand-off from the turtle's doubles to the canvas's single-precision floats, rounded to
// nearest as the hardware does, with values past the float range becoming ±infinity instead
// of the undefined behaviour a plain cast has there.

#include <cmath>
#include <limits>

namespace turtle {

inline float ToSingle(double v) noexcept {
  // Doubles from FLT_MAX up to FLT_MAX + half an ulp still round down to FLT_MAX.
  constexpr double kMax = std::numeric_limits<float>::max();
  constexpr double kOverflow = kMax + 0x1p103;
  // The common case falls through: written the other way round, the compiler jumps out and
  // back for every in-range value, twice per segment.
  if (!(std::fabs(v) <= kMax)) [[unlikely]] {
    if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
    if (std::fabs(v) < kOverflow)
      return v < 0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
    return v < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(v);
}

}  // namespace turtle
