#pragma once
// The three maps from a bump angle (degrees) to its line colour, so that one sweep's curves
// form a graded fan. Each has three bands, p > 60, 30 < p <= 60 and p <= 30; each channel is
// computed in double precision, rounded half to even into a 16-bit integer and packed with
// channels above 255 taken as 255. Pure functions.

#include <cstdint>

#include "turtle/colour_value.h"

namespace curves {

// Rounds to the nearest integer, ties to even, saturating at the 16-bit range; NaN gives 0.
// Out-of-range channels saturate rather than fail, so any angle has a colour.
std::int16_t RoundChannel(double value) noexcept;

turtle::ColorValue Color1(double p) noexcept;  // blue-white above 60, red below, cyan below 30
turtle::ColorValue Color2(double p) noexcept;  // green-white above 60, olive, grey-cyan below 30
turtle::ColorValue Color3(double p) noexcept;  // as Color2, without blue below 30

}  // namespace curves
