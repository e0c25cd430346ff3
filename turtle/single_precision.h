#pragma once
// The hand-off from the turtle's doubles to the canvas's single-precision floats, rounded to
// nearest as the hardware does, with values past the float range becoming ±infinity instead
// of the undefined behaviour a plain cast has there.

#include <cmath>
#include <limits>

namespace turtle {

// ToSingle for NaN and for the values past the float range, which no sweep reaches. Out of
// line, so ToSingle stays small enough for the compiler to inline a turtle walk's Forward
// whole: 3-10% of a sweep's drawing time.
float ToSingleBeyondRange(double v) noexcept;

inline float ToSingle(double v) noexcept {
  // The common case falls through: written the other way round, the compiler jumps out and
  // back for every in-range value, twice per segment.
  if (!(std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max()))) [[unlikely]] {
    return ToSingleBeyondRange(v);
  }
  return static_cast<float>(v);
}

}  // namespace turtle
