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
// the turtle itself or on a walk of it. Each piece is handed the pen rather than holding its own
// reference to it: through two references the compiler cannot tell a turn from a move, and
// reloads the position from memory after every turn. Inline, so that a walk's last two levels
// become one stretch of code (WalkLevels).
template <class Pen, class Piece>
inline void FivePieces(Pen& t, double q, double a, const Bump& bump, const Piece& piece) {
  piece(t, a);
  t.Turn(q);
  piece(t, bump.side);
  t.Turn(-q);
  if (bump.drawTop) piece(t, bump.top);
  t.Turn(-q);
  piece(t, bump.side);
  t.Turn(q);
  piece(t, a);
}

// The last kLevels levels of a curve of length r on a walk, each piece of the last level a
// single move.
template <int kLevels, class Rule>
void WalkLevels(turtle::Turtle::Walk& w, double q, double r, double c, const Rule& rule) {
  const double a = r / 3;
  const Bump bump = rule(q, a, c);
  if constexpr (kLevels == 1) {
    FivePieces(w, q, a, bump,
               [](turtle::Turtle::Walk& pen, double length) { pen.Forward(length); });
  } else if constexpr (kLevels == 2) {
    // The last two levels, up to 25 moves, are one stretch of code. Carried on by a copy of its
    // own, which nothing outside this stretch can reach, the walk keeps its position, heading
    // and counts in registers over it, instead of storing and reloading them at every move.
    turtle::Turtle::Walk local = w;
    FivePieces(local, q, a, bump, [&](turtle::Turtle::Walk& pen, double length) {
      WalkLevels<kLevels - 1>(pen, q, length, c, rule);
    });
    w = local;
  } else {
    FivePieces(w, q, a, bump, [&](turtle::Turtle::Walk& pen, double length) {
      WalkLevels<kLevels - 1>(pen, q, length, c, rule);
    });
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
    FivePieces(t, q, a, rule(q, a, c),
               [&](turtle::Turtle& pen, double length) { Frame(pen, d, q, length, c, rule); });
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
