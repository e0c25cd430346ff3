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

// The five pieces of one level, each drawn by `piece`, with the bump's turns between them; on
// the turtle itself or on a walk of it.
template <class Pen, class Piece>
void FivePieces(Pen& t, double q, double a, const Bump& bump, const Piece& piece) {
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

// The last kLevels levels of a curve of length r on a walk, each piece of the last level a
// single move.
template <int kLevels, class Rule>
void WalkLevels(turtle::Turtle::Walk& w, double q, double r, double c, const Rule& rule) {
  const double a = r / 3;
  const Bump bump = rule(q, a, c);
  if constexpr (kLevels == 1) {
    FivePieces(w, q, a, bump, [&w](double length) { w.Forward(length); });
  } else {
    FivePieces(w, q, a, bump,
               [&](double length) { WalkLevels<kLevels - 1>(w, q, length, c, rule); });
  }
}

// The five-piece frame shared by every style. c = cos q is the same at every level of a curve,
// so it is formed once per curve by the caller; `rule` is the style's bump rule. The last three
// levels, up to 125 segments, are one walk.
template <class Rule>
void Frame(turtle::Turtle& t, std::int16_t p, double q, double r, double c, const Rule& rule) {
  if (p <= 0) {
    t.Forward(r);
  } else if (p <= 3) {
    turtle::Turtle::Walk walk(t);
    if (p == 1) WalkLevels<1>(walk, q, r, c, rule);
    if (p == 2) WalkLevels<2>(walk, q, r, c, rule);
    if (p == 3) WalkLevels<3>(walk, q, r, c, rule);
    walk.End();
  } else {
    const auto d = static_cast<std::int16_t>(p - 1);
    const double a = r / 3;
    FivePieces(t, q, a, rule(q, a, c), [&](double length) { Frame(t, d, q, length, c, rule); });
  }
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
