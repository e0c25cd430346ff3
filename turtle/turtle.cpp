#include "turtle/turtle.h"

#include <cmath>
#include <span>

#include "turtle/bit_cast.h"

namespace turtle {

Turtle::Turtle(Canvas& canvas) noexcept : Turtle(static_cast<LineTarget&>(canvas)) {
  canvas_ = &canvas;
}

Turtle::Turtle(LineTarget& target) noexcept : target_(&target), canvas_(nullptr) {
  // Every slot starts valid, holding heading 0, so a lookup needs no "empty" test.
  const double r = Radians(0.0);
  const Direction zero{BitCast<std::uint64_t>(0.0), std::cos(r), std::sin(r)};
  directions_.fill({zero, zero});
}

void Turtle::SetTurtle(double x, double y, double heading) noexcept {
  x_ = x;
  y_ = y;
  heading_ = heading;
  start_ = {ToSingle(x), ToSingle(y)};
}

void Turtle::DrawRun(std::size_t count) {
  const std::span<const WorldPoint> ends(run_.data(), count);
  if (canvas_ != nullptr) {
    canvas_->Polyline(start_, ends, PenColor);
    start_ = ends.back();
    return;
  }
  for (const WorldPoint& end : ends) {
    target_->Line(start_.x, start_.y, end.x, end.y, PenColor);
    start_ = end;
  }
}

const Turtle::Direction& Turtle::SecondOrComputed(DirectionSet& set, double heading) noexcept {
  // The heading looked up last takes the first place, and the one it displaces the second.
  const Direction displaced = set[0];
  const auto bits = BitCast<std::uint64_t>(heading);
  if (set[1].headingBits == bits) {
    set[0] = set[1];
  } else {
    const double r = Radians(heading);
    set[0] = {bits, std::cos(r), std::sin(r)};
  }
  set[1] = displaced;
  return set[0];
}

}  // namespace turtle
