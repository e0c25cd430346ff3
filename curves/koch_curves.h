#pragma once
// The three generalised Koch curves. Each replaces a stretch of length r by five pieces: a
// third, a bump side rising at the bump angle q, a flat top, a side falling back, a third;
// recursing p levels deep. The styles differ only in how they size the bump's sides and top.
// They draw solely through the turtle, from its current point and heading, and leave it at
// the curve's end with its heading as on entry. Angles in degrees, lengths in world units.

#include <cstdint>

#include "turtle/turtle.h"

namespace curves {

// Triangle bump (sides a / 2c, no top) while q <= style1MaxAngle, read afresh at every level;
// above it the trapezoid (sides a, top (1 - 2c)a), whose top is drawn only when positive.
void Koch1(turtle::Turtle& t, const double& style1MaxAngle, std::int16_t p, double q, double r);

// Always the trapezoid; below 60° its top is negative and is drawn backwards.
void Koch2(turtle::Turtle& t, std::int16_t p, double q, double r);

// The trapezoid while its top is not negative, else the triangle, whose zero-length top is
// still drawn as a sub-curve of zero-length segments.
void Koch3(turtle::Turtle& t, std::int16_t p, double q, double r);

}  // namespace curves
