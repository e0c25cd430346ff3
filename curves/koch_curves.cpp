#include "curves/koch_curves.h"

#include <cmath>

namespace curves {

namespace {

// How one level sizes its bump: the length of each side, of the top, and whether the top is
// drawn at all.
struct Bump {
  double side;
  double top;
  bool drawTop;
};

// The five-piece frame shared by every style. c = cos q is the same at every level of a curve,
// so it is formed once per curve by the caller; `rule` is the style's bump rule.
template <class Rule>
void Frame(turtle::Turtle& t, std::int16_t p, double q, double r, double c, const Rule& rule) {
  if (p <= 0) {
    t.Forward(r);
    return;
  }
  const auto d = static_cast<std::int16_t>(p - 1);
  const double a = r / 3;
  const Bump bump = rule(q, a, c);
  // The five pieces. At the last level each piece is a single move; drawing it here rather than
  // through one more call per segment keeps the innermost loop flat.
  const auto piece = [&](double length) {
    if (d <= 0) {
      t.Forward(length);
    } else {
      Frame(t, d, q, length, c, rule);
    }
  };
  piece(a);
  t.Turn(q);
  piece(bump.side);
  t.Turn(-q);
  if (bump.drawTop) piece(bump.top);
  t.Turn(-q);
  piece(bump.side);
  t.Turn(q);
  piece(a);
}

// cos q with the turtle's own degree-to-radian conversion. 2c is always formed as c + c.
double CosOf(double q) noexcept { return std::cos(turtle::Radians(q)); }

double TrapezoidTop(double a, double c) noexcept { return (1 - (c + c)) * a; }
double TriangleSide(double a, double c) noexcept { return a / (c + c); }

}  // namespace

void Koch1(turtle::Turtle& t, const double& style1MaxAngle, std::int16_t p, double q, double r) {
  // The style-1 maximum is read at every level, not once per curve, as the window's value.
  Frame(t, p, q, r, CosOf(q), [&style1MaxAngle](double angle, double a, double c) {
    if (angle <= style1MaxAngle) return Bump{TriangleSide(a, c), 0.0, false};
    const double m = TrapezoidTop(a, c);
    // At exactly 60° cos comes out as 0.5000000000000009, so m is a tiny negative number and
    // the top is skipped (KochCurveTest.Koch1SkipsTheTinyNegativeTopAtSixty).
    return Bump{a, m, m > 0};
  });
}

void Koch2(turtle::Turtle& t, std::int16_t p, double q, double r) {
  Frame(t, p, q, r, CosOf(q), [](double, double a, double c) {
    return Bump{a, TrapezoidTop(a, c), true};
  });
}

void Koch3(turtle::Turtle& t, std::int16_t p, double q, double r) {
  Frame(t, p, q, r, CosOf(q), [](double, double a, double c) {
    const double m = TrapezoidTop(a, c);
    // A negative top turns the bump into the triangle, whose zero-length top is still drawn
    // (KochCurveTest.Koch3DrawsZeroLengthTopsOfTheTriangle).
    if (m < 0) return Bump{TriangleSide(a, c), 0.0, true};
    return Bump{a, m, true};
  });
}

}  // namespace curves
