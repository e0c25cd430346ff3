#include "limit_kernel.h"

#include <algorithm>
#include <cmath>

#include "sweeps/sweeps.h"
#include "turtle/single_precision.h"
#include "turtle/turtle.h"

namespace bench {

namespace {

constexpr int kDepth = sweeps::kSweepDepth;
// A depth-7 curve nests at most seven turns either way.
constexpr int kMaxTurns = kDepth;

struct Bump {
  double side;
  double top;
  bool drawTop;
};

struct Pen {
  double x = 0.0;
  double y = 0.0;
  int turns = 0;  // heading = turns × bump angle
  double cosOf[2 * kMaxTurns + 1];
  double sinOf[2 * kMaxTurns + 1];
  std::uint32_t argb = 0;
  std::uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;
  double left = 0.0;
  double top = 0.0;
  double pixelsPerUnitX = 1.0;
  double pixelsPerUnitY = 1.0;
  turtle::ColorValue color = 0;
  std::uint64_t segments = 0;
  testing_support::StreamDigest* digest = nullptr;
};

template <bool kRecord>
inline void Forward(Pen& pen, double distance) {
  const int k = pen.turns + kMaxTurns;
  const double nx = pen.cosOf[k] * distance + pen.x;
  const double ny = pen.sinOf[k] * distance + pen.y;
  const auto fx = static_cast<float>(nx);
  const auto fy = static_cast<float>(ny);
  if constexpr (kRecord) {
    pen.digest->Add(static_cast<float>(pen.x), static_cast<float>(pen.y), fx, fy, pen.color);
  }
  const double px = std::clamp((static_cast<double>(fx) - pen.left) * pen.pixelsPerUnitX, 0.0,
                               static_cast<double>(pen.width - 1));
  const double py = std::clamp((static_cast<double>(fy) - pen.top) * pen.pixelsPerUnitY, 0.0,
                               static_cast<double>(pen.height - 1));
  pen.bits[static_cast<std::size_t>(static_cast<int>(py)) * pen.width + static_cast<int>(px)] =
      pen.argb;
  pen.x = nx;
  pen.y = ny;
  ++pen.segments;
}

template <int P, bool kRecord, class Rule>
inline void Frame(Pen& pen, double q, double r, double c, const Rule& rule) {
  if constexpr (P <= 0) {
    Forward<kRecord>(pen, r);
  } else {
    const double a = r / 3;
    const Bump bump = rule(q, a, c);
    Frame<P - 1, kRecord>(pen, q, a, c, rule);
    ++pen.turns;
    Frame<P - 1, kRecord>(pen, q, bump.side, c, rule);
    --pen.turns;
    if (bump.drawTop) Frame<P - 1, kRecord>(pen, q, bump.top, c, rule);
    --pen.turns;
    Frame<P - 1, kRecord>(pen, q, bump.side, c, rule);
    ++pen.turns;
    Frame<P - 1, kRecord>(pen, q, a, c, rule);
  }
}

double TrapezoidTop(double a, double c) noexcept { return (1 - (c + c)) * a; }
double TriangleSide(double a, double c) noexcept { return a / (c + c); }

template <bool kRecord>
void Curve(Pen& pen, int style, double style1Max, double q) {
  // The headings a curve visits are whole multiples of q, reached by the turtle through exact
  // additions; their cos and sin are the ones the turtle's own cache holds.
  for (int k = -kMaxTurns; k <= kMaxTurns; ++k) {
    const double radians = turtle::Radians(k * q);
    pen.cosOf[k + kMaxTurns] = std::cos(radians);
    pen.sinOf[k + kMaxTurns] = std::sin(radians);
  }
  pen.x = 0.0;
  pen.y = 0.0;
  pen.turns = 0;
  const double c = std::cos(turtle::Radians(q));
  constexpr double kLength = sweeps::kSweepLength;
  switch (style) {
    case 1:
      Frame<kDepth, kRecord>(pen, q, kLength, c, [style1Max](double angle, double a, double cq) {
        if (angle <= style1Max) return Bump{TriangleSide(a, cq), 0.0, false};
        const double m = TrapezoidTop(a, cq);
        return Bump{a, m, m > 0};
      });
      break;
    case 2:
      Frame<kDepth, kRecord>(pen, q, kLength, c, [](double, double a, double cq) {
        return Bump{a, TrapezoidTop(a, cq), true};
      });
      break;
    case 3:
      Frame<kDepth, kRecord>(pen, q, kLength, c, [](double, double a, double cq) {
        const double m = TrapezoidTop(a, cq);
        if (m < 0) return Bump{TriangleSide(a, cq), 0.0, true};
        return Bump{a, m, true};
      });
      break;
  }
}

template <bool kRecord>
LimitResult Sweep(Pen& pen, const SweepCase& sweep, double& style1Max) {
  std::fill_n(pen.bits, static_cast<std::size_t>(pen.width) * pen.height,
              turtle::ToArgb32(turtle::kBlack));
  if (sweep.plan->readsStyle1Max) style1Max = sweep.text1;
  const double maxAngle = sweep.text2;
  const double step = sweep.plan->step;
  const bool down = step < 0;
  LimitResult result;
  for (double angle = down ? maxAngle : 0.0; down ? angle >= 0.0 : angle <= maxAngle;
       angle += step) {
    pen.color = sweep.plan->color(angle);
    pen.argb = turtle::ToArgb32(pen.color);
    Curve<kRecord>(pen, CurveRuleOf(*sweep.plan), style1Max, angle);
    ++result.curves;
  }
  if (sweep.plan->closingCurve) {
    pen.color = turtle::kYellow;
    pen.argb = turtle::ToArgb32(pen.color);
    Curve<kRecord>(pen, 1, style1Max, 60.0);
    ++result.curves;
  }
  result.segments = pen.segments;
  result.end = EndPoint::Of(pen.x, pen.y);
  return result;
}

}  // namespace

LimitResult LimitSurface::Run(const SweepCase& sweep, double& style1Max,
                              testing_support::StreamDigest* digest) {
  Pen pen;
  pen.bits = pixels_.data();
  pen.width = width_;
  pen.height = height_;
  // The canvas's world window, stored in single precision as the canvas stores it.
  const sweeps::WorldCorners& world = sweeps::kSweepWorld;
  const float left = turtle::ToSingle(world.x1);
  const float top = turtle::ToSingle(world.y1);
  const float scaleWidth = turtle::ToSingle(world.x2 - world.x1);
  const float scaleHeight = turtle::ToSingle(world.y2 - world.y1);
  pen.left = left;
  pen.top = top;
  pen.pixelsPerUnitX = static_cast<double>(width_) / static_cast<double>(scaleWidth);
  pen.pixelsPerUnitY = static_cast<double>(height_) / static_cast<double>(scaleHeight);
  pen.digest = digest;
  return digest != nullptr ? Sweep<true>(pen, sweep, style1Max)
                           : Sweep<false>(pen, sweep, style1Max);
}

std::uint32_t LimitSurface::Checksum() const noexcept {
  std::uint32_t sum = 0;
  for (const std::uint32_t p : pixels_) sum = sum * 31u + p;
  return sum;
}

}  // namespace bench
