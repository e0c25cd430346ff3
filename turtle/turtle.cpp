#include "turtle/turtle.h"

#include <cmath>

#include "turtle/bit_cast.h"

namespace turtle {

Turtle::Turtle(Canvas& canvas) noexcept : Turtle(static_cast<LineTarget&>(canvas)) {
  canvas_ = &canvas;
}

Turtle::Turtle(LineTarget& target) noexcept : target_(&target), canvas_(nullptr) {
  // Every slot starts valid, holding heading 0, so a lookup needs no "empty" test.
  const double r = Radians(0.0);
  directions_.fill({BitCast<std::uint64_t>(0.0), std::cos(r), std::sin(r)});
}

void Turtle::SetTurtle(double x, double y, double heading) noexcept {
  x_ = x;
  y_ = y;
  heading_ = heading;
  startX_ = ToSingle(x);
  startY_ = ToSingle(y);
}

void Turtle::Compute(Direction& slot, double heading) noexcept {
  const double r = Radians(heading);
  slot = {BitCast<std::uint64_t>(heading), std::cos(r), std::sin(r)};
}

}  // namespace turtle
