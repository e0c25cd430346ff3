#pragma once
// Turtle: a position and heading in world units that moves, turns and draws one straight
// segment per move on a Canvas or through any other LineTarget, bringing the screen up to date
// after every 101st segment since LineCount was last reset. Angles are degrees; positions are
// kept as doubles and handed over in single precision. It never pumps events, never allocates.
// A Turtle::Walk makes many moves in a row and hands their segments over together.

#include <array>
#include <cstddef>
#include <cstdint>

#include "turtle/bit_cast.h"
#include "turtle/canvas.h"
#include "turtle/colour_value.h"
#include "turtle/line_target.h"
#include "turtle/single_precision.h"

namespace turtle {

// π to the 15 digits the curves are defined with: the double nearest 3.14159265358979,
// slightly below the double nearest π, so cos 90° comes out a hair above zero.
inline constexpr double kPi = 3.14159265358979;

// Degrees to radians, multiplied first and divided second.
constexpr double Radians(double degrees) noexcept { return degrees * kPi / 180.0; }

class Turtle {
 public:
  // Draws on the canvas itself: the canvas's Line inlines into Forward, with no virtual call.
  explicit Turtle(Canvas& canvas) noexcept;
  // Draws through the interface, for recorders and taps (and a canvas behind one of them).
  explicit Turtle(LineTarget& target) noexcept;

  ColorValue PenColor = 0;
  std::int16_t LineCount = 0;  // segments since the last refresh point, 0 to 100

  // The current point, world units.
  [[nodiscard]] double PosX() const noexcept { return x_; }
  [[nodiscard]] double PosY() const noexcept { return y_; }
  // Degrees; 0 is +x, positive turns toward +y; never reduced mod 360.
  [[nodiscard]] double Heading() const noexcept { return heading_; }

  // Places the turtle; draws nothing, leaves PenColor and LineCount alone.
  void SetTurtle(double x, double y, double heading) noexcept;
  // Heading += angleDegrees; negative turns clockwise (under a y-up world window).
  void Turn(double angleDegrees) noexcept { heading_ = heading_ + angleDegrees; }
  // Moves distance along the heading (backwards when negative; zero still draws a segment of
  // zero length and counts toward the refresh), drawing the segment in PenColor.
  void Forward(double distance);

  class Walk;

 private:
  struct Direction {
    std::uint64_t headingBits;
    double cos;
    double sin;
  };
  // cos and sin of a heading, from a small cache keyed on the heading's exact bits: a curve
  // turns through only a handful of headings, and a cached pair is the very value std::cos
  // and std::sin give, so the cache changes no result. Each set holds two headings, so two
  // that share a set and alternate along a curve do not evict each other on every segment.
  using DirectionSet = std::array<Direction, 2>;
  const Direction& DirectionOf(double heading) noexcept {
    const auto bits = BitCast<std::uint64_t>(heading);
    // Fibonacci hashing: the top six bits of the product spread nearby headings apart.
    DirectionSet& set = directions_[(bits * 0x9E3779B97F4A7C15ull) >> 58];
    if (set[0].headingBits != bits) [[unlikely]]
      return SecondOrComputed(set, heading);
    return set[0];
  }
  static const Direction& SecondOrComputed(DirectionSet& set, double heading) noexcept;

  // The one place segments leave the turtle: those from the handed-over point through the
  // first count ends of run_, after which the last of them is the handed-over point. A turtle
  // made on a canvas hands them to the canvas directly, as one polyline with no virtual call.
  void DrawRun(std::size_t count);

  double x_ = 0.0;
  double y_ = 0.0;
  double heading_ = 0.0;
  // The current point as handed over: each segment starts where the last one ended.
  WorldPoint start_;
  LineTarget* target_;
  Canvas* canvas_;  // the same target when the turtle was made on a canvas, else null
  std::array<DirectionSet, 64> directions_;
  // The ends of a walk's segments not yet handed over; a run as long as a canvas maps at once.
  std::array<WorldPoint, Canvas::kEndsMappedAtOnce> run_;
};

// Moves and turns made in a row, as a curve's innermost levels make them. The position, heading
// and LineCount are held in the walk, and the segments are handed over together: when the run is
// full, at every refresh point, and at End, which must close every walk. A canvas maps a whole
// run before its raster decides any pixel (Canvas::Polyline), which takes about a fifth off a
// sweep's drawing time. A walk draws the same segments, refreshes at the same points and leaves
// the turtle as the same Forward and Turn calls on the turtle itself would; a target that reads
// the turtle while it draws finds it where the last hand-over left it. Nothing else may move the
// turtle or draw through it meanwhile. A walk is a small value: a copy may carry on in its place
// and be assigned back, so that a stretch of moves runs on a local the compiler keeps in
// registers; only one of the two moves at a time.
class Turtle::Walk {
 public:
  explicit Walk(Turtle& t) noexcept
      : t_(&t), x_(t.x_), y_(t.y_), heading_(t.heading_), lineCount_(t.LineCount) {}

  void Turn(double angleDegrees) noexcept { heading_ = heading_ + angleDegrees; }
  void Forward(double distance) {
    const Direction& d = t_->DirectionOf(heading_);
    x_ = d.cos * distance + x_;
    y_ = d.sin * distance + y_;
    // The canvas takes single precision; the turtle keeps the doubles, so rounding to float
    // never accumulates along a curve (TurtleTest.KeepsDoublesWhileHandingFloatsToTheCanvas).
    t_->run_[pending_++] = {ToSingle(x_), ToSingle(y_)};
    // Counting 1..100 and wrapping on the 101st segment refreshes after every 101st, not 100th
    // (TurtleTest.RefreshesAfterEvery101stSegment).
    lineCount_ = static_cast<std::int16_t>(lineCount_ + 1);
    if (lineCount_ > 100) lineCount_ = 0;
    if (lineCount_ == 0) {
      End();
      t_->target_->Refresh();
    } else if (pending_ == t_->run_.size()) {
      t_->DrawRun(pending_);
      pending_ = 0;
    }
  }
  // Hands over the segments still pending and brings the turtle up to date.
  void End() {
    if (pending_ > 0) t_->DrawRun(pending_);
    pending_ = 0;
    t_->x_ = x_;
    t_->y_ = y_;
    t_->heading_ = heading_;
    t_->LineCount = lineCount_;
  }

 private:
  Turtle* t_;
  double x_;
  double y_;
  double heading_;
  std::int16_t lineCount_;
  std::size_t pending_ = 0;
};

inline void Turtle::Forward(double distance) {
  Walk walk(*this);
  walk.Forward(distance);
  walk.End();
}

}  // namespace turtle
