#include "turtle/turtle.h"

#include <bit>
#include <cmath>

#include "turtle/single_precision.h"

namespace turtle {

namespace {

std::size_t SlotOf(std::uint64_t headingBits) noexcept {
  // Fibonacci hashing: the top six bits of the product spread nearby headings apart.
  return static_cast<std::size_t>((headingBits * 0x9E3779B97F4A7C15ull) >> 58);
}

}  // namespace

Turtle::Turtle(LineTarget& target) noexcept : target_(&target) {
  // Every slot starts valid, holding heading 0, so a lookup needs no "empty" test.
  const double r = Radians(0.0);
  directions_.fill({std::bit_cast<std::uint64_t>(0.0), std::cos(r), std::sin(r)});
}

void Turtle::SetTurtle(double x, double y, double heading) noexcept {
  PosX = x;
  PosY = y;
  Heading = heading;
}

void Turtle::Turn(double angleDegrees) noexcept { Heading = Heading + angleDegrees; }

const Turtle::Direction& Turtle::DirectionOf(double heading) noexcept {
  const auto bits = std::bit_cast<std::uint64_t>(heading);
  Direction& slot = directions_[SlotOf(bits)];
  if (slot.headingBits != bits) {
    const double r = Radians(heading);
    slot = {bits, std::cos(r), std::sin(r)};
  }
  return slot;
}

void Turtle::Forward(double distance) {
  const Direction& d = DirectionOf(Heading);
  const double nx = d.cos * distance + PosX;
  const double ny = d.sin * distance + PosY;
  // The canvas takes single precision; the turtle keeps the doubles, so rounding to float
  // never accumulates along a curve (TurtleTest.KeepsDoublesWhileHandingFloatsToTheCanvas).
  target_->Line(ToSingle(PosX), ToSingle(PosY), ToSingle(nx), ToSingle(ny), PenColor);
  PosX = nx;
  PosY = ny;
  // Counting 1..100 and wrapping on the 101st segment refreshes after every 101st, not 100th
  // (TurtleTest.RefreshesAfterEvery101stSegment).
  LineCount = static_cast<std::int16_t>(LineCount + 1);
  if (LineCount > 100) LineCount = 0;
  if (LineCount == 0) target_->Refresh();
}

}  // namespace turtle
