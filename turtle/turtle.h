#pragma once
// Turtle: a position and heading in world units that moves, turns and draws one straight
// segment per move on a Canvas or through any other LineTarget, bringing the screen up to date
// after every 101st segment since LineCount was last reset. Angles are degrees; positions are
// kept as doubles and handed over in single precision. It never pumps events, never allocates.

#include <array>
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
  void Forward(double distance) {
    const Direction& d = DirectionOf(heading_);
    const double nx = d.cos * distance + x_;
    const double ny = d.sin * distance + y_;
    // The canvas takes single precision; the turtle keeps the doubles, so rounding to float
    // never accumulates along a curve (TurtleTest.KeepsDoublesWhileHandingFloatsToTheCanvas).
    const float endX = ToSingle(nx);
    const float endY = ToSingle(ny);
    Draw(startX_, startY_, endX, endY);
    x_ = nx;
    y_ = ny;
    startX_ = endX;
    startY_ = endY;
    // Counting 1..100 and wrapping on the 101st segment refreshes after every 101st, not 100th
    // (TurtleTest.RefreshesAfterEvery101stSegment).
    LineCount = static_cast<std::int16_t>(LineCount + 1);
    if (LineCount > 100) LineCount = 0;
    if (LineCount == 0) target_->Refresh();
  }

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

  // The one place a segment leaves the turtle. A turtle made on a canvas calls it directly, so
  // its Line inlines into Forward: through the virtual call, the bench's three drawing-only
  // sweeps (17.6 million segments) take 2.1% more instructions under callgrind (3,311 million
  // against 3,244 million) and about 1.5% more time. A [[likely]] here costs 1%; leave it plain.
  void Draw(float x1, float y1, float x2, float y2) {
    if (canvas_ != nullptr) {
      canvas_->Line(x1, y1, x2, y2, PenColor);
    } else {
      target_->Line(x1, y1, x2, y2, PenColor);
    }
  }

  double x_ = 0.0;
  double y_ = 0.0;
  double heading_ = 0.0;
  // The current point as handed over: each segment starts where the last one ended.
  float startX_ = 0.0f;
  float startY_ = 0.0f;
  LineTarget* target_;
  Canvas* canvas_;  // the same target when the turtle was made on a canvas, else null
  std::array<DirectionSet, 64> directions_;
};

}  // namespace turtle
