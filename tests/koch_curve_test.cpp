#include "curves/koch_curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/raster_helpers.h"
#include "support/recording_target.h"
#include "support/stream_digest.h"
#include "sweeps/sweeps.h"
#include "turtle/canvas.h"

using testing_support::RecordingTarget;
using turtle::Turtle;

namespace {

using Curve = std::function<void(Turtle&, std::int16_t, double, double)>;

struct Style {
  const char* name;
  Curve draw;
};

// Koch1 with the default style-1 maximum of 60, so every angle here has a closed bump.
const double kStyle1Max60 = 60;
const Style kStyles[] = {
    {"Koch1", [](Turtle& t, std::int16_t p, double q,
                 double r) { curves::Koch1(t, kStyle1Max60, p, q, r); }},
    {"Koch2", [](Turtle& t, std::int16_t p, double q, double r) { curves::Koch2(t, p, q, r); }},
    {"Koch3", [](Turtle& t, std::int16_t p, double q, double r) { curves::Koch3(t, p, q, r); }},
};

void PrintTo(const Style& s, std::ostream* os) { *os << s.name; }

class KochStyleTest : public ::testing::TestWithParam<Style> {};

TEST_P(KochStyleTest, DepthZeroIsOneSegmentOfTheWholeLength) {
  RecordingTarget target;
  Turtle t(target);
  t.SetTurtle(5, 5, 90);
  GetParam().draw(t, 0, 45, 300);
  ASSERT_EQ(target.lines, 1);
  EXPECT_FLOAT_EQ(target.last.y2, 305.0f);
}

TEST_P(KochStyleTest, DepthOneEndsAtTheFarEndWithTheHeadingRestored) {
  for (const double q : {0.0, 30.0, 45.0, 60.0, 75.0, 90.0}) {
    RecordingTarget target;
    Turtle t(target);
    t.SetTurtle(0, 0, 0);
    GetParam().draw(t, 1, q, 300);
    EXPECT_NEAR(t.PosX(), 300.0, 1e-9) << "q = " << q;
    EXPECT_NEAR(t.PosY(), 0.0, 1e-9) << "q = " << q;
    EXPECT_EQ(t.Heading(), 0.0) << "q = " << q;
  }
}

TEST_P(KochStyleTest, DepthSevenClosedBumpsEndNearTheFarEnd) {
  for (const double q : {15.0, 45.0, 72.0, 89.0}) {
    RecordingTarget target(false);
    Turtle t(target);
    GetParam().draw(t, 7, q, 300);
    EXPECT_NEAR(t.PosX(), 300.0, 1e-6) << "q = " << q;
    EXPECT_NEAR(t.PosY(), 0.0, 1e-6) << "q = " << q;
  }
}

TEST_P(KochStyleTest, StartsFromTheTurtlesPlaceAndHeading) {
  RecordingTarget target;
  Turtle t(target);
  t.SetTurtle(10, 20, 90);
  GetParam().draw(t, 1, 75, 30);
  EXPECT_EQ(target.segments.front().x1, 10.0f);
  EXPECT_EQ(target.segments.front().y1, 20.0f);
  EXPECT_NEAR(t.PosY(), 50.0, 1e-9);
  EXPECT_NEAR(t.PosX(), 10.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Styles, KochStyleTest, ::testing::ValuesIn(kStyles),
                         [](const ::testing::TestParamInfo<Style>& row) {
                           return std::string(row.param.name);
                         });

// Segment lengths along x of a depth-1 curve, in drawing order.
std::vector<double> PiecesAlongX(const RecordingTarget& target) {
  std::vector<double> pieces;
  for (const auto& s : target.segments) pieces.push_back(std::round(s.x2 - s.x1));
  return pieces;
}

TEST(KochCurveTest, AtZeroDegreesEveryStyleStaysOnTheAxis) {
  RecordingTarget k1, k2, k3;
  Turtle t1(k1), t2(k2), t3(k3);
  curves::Koch1(t1, kStyle1Max60, 1, 0, 300);
  curves::Koch2(t2, 1, 0, 300);
  curves::Koch3(t3, 1, 0, 300);
  EXPECT_EQ(PiecesAlongX(k1), (std::vector<double>{100, 50, 50, 100}));
  EXPECT_EQ(PiecesAlongX(k2), (std::vector<double>{100, 100, -100, 100, 100}));
  EXPECT_EQ(PiecesAlongX(k3), (std::vector<double>{100, 50, 0, 50, 100}));
  for (const auto* target : {&k1, &k2, &k3}) {
    for (const auto& s : target->segments) EXPECT_EQ(s.y2, 0.0f);
  }
}

// Each style's depth-7 segment stream on both sides of 60°, where the bump rules change, pinned
// by its digest, so that a change in the last bit of any curve's arithmetic fails here. The
// counts are powers of five (a top drawn) or four (none); above 60° the three styles draw the
// same trapezoid. A new digest is for a change to the curves made on purpose.
TEST(KochCurveTest, EachStyleDrawsItsPinnedSegmentStream) {
  struct Case {
    const char* what;
    int curve;
    double style1Max, q;
    std::uint64_t segments, digest;
  } cases[] = {
      {"Koch1 triangle", 1, 60, 45, 16384, 0xe5b78a29808b39f3},
      {"Koch1 triangle at its maximum", 1, 60, 60, 16384, 0x3ed85978995a743f},
      {"Koch1 trapezoid with positive top", 1, 60, 75, 78125, 0x1d878724adeafbe5},
      {"Koch1 trapezoid with negative top skipped", 1, 30, 45, 16384, 0xf6d2baad04a2316e},
      {"Koch1 at 60 above its maximum skips the tiny negative top", 1, 0, 60, 16384,
       0x9e6c2e725c47743f},
      {"Koch2 draws its negative top backwards", 2, 0, 45, 78125, 0x73fa9d1f62919397},
      {"Koch2 at 60 draws the tiny backward top", 2, 0, 60, 78125, 0x60fc50ee294b5b93},
      {"Koch2 trapezoid", 2, 0, 75, 78125, 0x1d878724adeafbe5},
      {"Koch3 triangle keeps its zero-length top", 3, 0, 45, 78125, 0x462f5dd50abe0ec7},
      {"Koch3 at 60 is still the triangle", 3, 0, 60, 78125, 0x1970ab8183265b93},
      {"Koch3 trapezoid", 3, 0, 75, 78125, 0x1d878724adeafbe5},
  };
  for (const Case& c : cases) {
    testing_support::DigestingTarget target;
    Turtle t(target);
    if (c.curve == 1) curves::Koch1(t, c.style1Max, 7, c.q, 300);
    if (c.curve == 2) curves::Koch2(t, 7, c.q, 300);
    if (c.curve == 3) curves::Koch3(t, 7, c.q, 300);
    EXPECT_EQ(target.digest.segments, c.segments) << c.what;
    EXPECT_EQ(target.digest.hash, c.digest) << c.what;
  }
}

TEST(KochCurveTest, Koch3DrawsZeroLengthTopsOfTheTriangle) {
  RecordingTarget target(false);
  Turtle t(target);
  curves::Koch3(t, 7, 45, 300);
  EXPECT_EQ(target.zeroLength, 78125 - 16384);  // 61,741
  RecordingTarget atSixty(false);
  Turtle t60(atSixty);
  curves::Koch3(t60, 7, 60, 300);  // cos 60° > 0.5: the top is negative, so the triangle
  EXPECT_EQ(atSixty.zeroLength, 61741);
}

TEST(KochCurveTest, Koch1SkipsTheTinyNegativeTopAtSixty) {
  RecordingTarget target;
  Turtle t(target);
  curves::Koch1(t, 0, 1, 60, 300);  // 60 > the maximum 0: trapezoid, top -1.78e-13
  EXPECT_EQ(target.lines, 4);
  RecordingTarget k2;
  Turtle t2(k2);
  curves::Koch2(t2, 1, 60, 300);
  ASSERT_EQ(k2.lines, 5);
  const double top = (1 - (std::cos(turtle::Radians(60)) * 2)) * 100;
  EXPECT_LT(top, 0.0);
  EXPECT_NEAR(k2.segments[2].x2 - k2.segments[2].x1, top, 1e-12);
}

TEST(KochCurveTest, Koch1WithATopSkippedOvershootsTheFarEnd) {
  RecordingTarget target(false);
  Turtle t(target);
  curves::Koch1(t, 30, 1, 45, 300);
  EXPECT_NEAR(t.PosX(), 341.421356, 1e-5);
  EXPECT_NEAR(t.PosY(), 0.0, 1e-9);
  t.SetTurtle(0, 0, 0);
  curves::Koch1(t, 30, 7, 45, 300);
  EXPECT_NEAR(t.PosX(), 741.8, 0.05);
  EXPECT_NEAR(t.PosY(), 0.0, 1e-6);
}

TEST(KochCurveTest, Koch2AndKoch3DrawSquareBumpsAtNinety) {
  for (int style : {2, 3}) {
    RecordingTarget target;
    Turtle t(target);
    if (style == 2) curves::Koch2(t, 1, 90, 300);
    if (style == 3) curves::Koch3(t, 1, 90, 300);
    ASSERT_EQ(target.lines, 5);
    EXPECT_NEAR(target.segments[1].y2 - target.segments[1].y1, 100, 1e-9);
    EXPECT_NEAR(target.segments[2].x2 - target.segments[2].x1, 100, 1e-4);
    EXPECT_NEAR(target.segments[3].y2 - target.segments[3].y1, -100, 1e-9);
  }
}

TEST(KochCurveTest, Koch1TriangleAtNinetyRunsFarPastTheFloatRangeWithoutHarm) {
  turtle::Canvas canvas(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
  canvas.SetWorld(sweeps::kSweepWorld.x1, sweeps::kSweepWorld.y1, sweeps::kSweepWorld.x2,
                  sweeps::kSweepWorld.y2);
  RecordingTarget counter(false);
  Turtle t(counter);
  curves::Koch1(t, 90, 7, 90, 300);
  EXPECT_EQ(counter.lines, 16384);
  EXPECT_GT(std::fabs(t.PosY()), 1e39);  // past what a float can hold
  // The same curve through the real canvas clips everything it cannot show.
  Turtle onCanvas(canvas);
  onCanvas.PenColor = turtle::kYellow;
  curves::Koch1(onCanvas, 90, 7, 90, 300);
  // What is left on the canvas are the clipped stretches of the curve: yellow, on black, and
  // nowhere below the base line, which the bumps of this curve never cross.
  const turtle::Raster& image = canvas.Image();
  const int yellow = testing_support::CountPixels(image, turtle::ToArgb32(turtle::kYellow));
  const int black = testing_support::CountPixels(image, turtle::ToArgb32(turtle::kBlack));
  EXPECT_GT(yellow, 0);
  EXPECT_EQ(yellow + black, image.Width() * image.Height());
  const turtle::PixelRect lit =
      testing_support::PaintedBounds(image, turtle::ToArgb32(turtle::kBlack));
  EXPECT_EQ(lit.bottom, static_cast<int>(canvas.DeviceY(0)) + 1);
}

}  // namespace
