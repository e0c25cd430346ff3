#include "turtle/turtle.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "support/raster_helpers.h"
#include "support/recording_target.h"
#include "turtle/canvas.h"
#include "turtle/single_precision.h"

using testing_support::RecordingTarget;
using turtle::Turtle;

namespace {

TEST(TurtleTest, PiIsTheFifteenDigitValueAndRadiansMultiplyBeforeDividing) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(turtle::kPi), 0x400921FB54442D11ull);
  EXPECT_EQ(std::cos(turtle::Radians(60)), 0.50000000000000089);
  EXPECT_EQ(std::cos(turtle::Radians(90)), 1.6155445744325867e-15);
  // Dividing first would give a different last bit for some angles.
  EXPECT_EQ(turtle::Radians(7), 7 * 3.14159265358979 / 180);
}

TEST(TurtleTest, StartsAtZeroAndSetTurtleTouchesOnlyThePosition) {
  RecordingTarget target;
  Turtle t(target);
  EXPECT_EQ(t.PosX(), 0.0);
  EXPECT_EQ(t.Heading(), 0.0);
  EXPECT_EQ(t.PenColor, 0);
  EXPECT_EQ(t.LineCount, 0);
  t.PenColor = 7;
  t.LineCount = 42;
  t.SetTurtle(1.5, -2.5, 720);
  EXPECT_EQ(t.PosX(), 1.5);
  EXPECT_EQ(t.PosY(), -2.5);
  EXPECT_EQ(t.Heading(), 720.0);
  EXPECT_EQ(t.PenColor, 7);
  EXPECT_EQ(t.LineCount, 42);
  EXPECT_EQ(target.lines, 0);
}

TEST(TurtleTest, ForwardDrawsOneSegmentInThePenColourAndMoves) {
  RecordingTarget target;
  Turtle t(target);
  t.PenColor = turtle::kYellow;
  t.Forward(300);
  ASSERT_EQ(target.lines, 1);
  const auto& s = target.segments[0];
  EXPECT_EQ(s.x1, 0.0f);
  EXPECT_EQ(s.y1, 0.0f);
  EXPECT_EQ(s.x2, 300.0f);
  EXPECT_EQ(s.y2, 0.0f);
  EXPECT_EQ(s.color, turtle::kYellow);
  EXPECT_EQ(t.PosX(), 300.0);
  EXPECT_EQ(t.PosY(), 0.0);
}

TEST(TurtleTest, QuarterTurnLeavesATinyButNonZeroStepInX) {
  RecordingTarget target;
  Turtle t(target);
  t.Turn(90);
  t.Forward(10);
  EXPECT_EQ(t.PosX(), 1.6155445744325867e-14);
  EXPECT_EQ(t.PosY(), 10.0);
  t.Forward(-10);  // backwards along the heading
  EXPECT_EQ(t.PosY(), 0.0);
  EXPECT_EQ(target.segments[1].y2, 0.0f);
}

TEST(TurtleTest, TwelveTurnsOfThirtyLeaveHeading360) {
  RecordingTarget target;
  Turtle t(target);
  for (int i = 0; i < 12; ++i) t.Turn(30);
  EXPECT_EQ(t.Heading(), 360.0);
  t.Turn(-400);
  EXPECT_EQ(t.Heading(), -40.0);
}

TEST(TurtleTest, KeepsDoublesWhileHandingFloatsToTheCanvas) {
  RecordingTarget target;
  Turtle t(target);
  double x = 0;
  for (int i = 0; i < 10; ++i) {
    t.Forward(0.1);
    EXPECT_EQ(target.segments[static_cast<std::size_t>(i)].x1, static_cast<float>(x));
    x = 1.0 * 0.1 + x;
    EXPECT_EQ(target.segments[static_cast<std::size_t>(i)].x2, static_cast<float>(x));
  }
  EXPECT_EQ(t.PosX(), x);  // 0.9999999999999999, which float rounding would have lost
  EXPECT_NE(t.PosX(), static_cast<double>(static_cast<float>(t.PosX())));
}

TEST(TurtleTest, ZeroDistanceStillDrawsAndCounts) {
  RecordingTarget target;
  Turtle t(target);
  t.Forward(0);
  EXPECT_EQ(target.lines, 1);
  EXPECT_EQ(target.zeroLength, 1);
  EXPECT_EQ(t.LineCount, 1);
}

TEST(TurtleTest, RefreshesAfterEvery101stSegment) {
  RecordingTarget target(false);
  Turtle t(target);
  for (int i = 0; i < 100; ++i) t.Forward(1);
  EXPECT_EQ(target.refreshes, 0);
  EXPECT_EQ(t.LineCount, 100);
  t.Forward(1);
  EXPECT_EQ(target.refreshes, 1);
  EXPECT_EQ(t.LineCount, 0);
  for (int i = 0; i < 404; ++i) t.Forward(1);
  EXPECT_EQ(target.refreshedAfter, (std::vector<std::int64_t>{101, 202, 303, 404, 505}));
}

TEST(TurtleTest, RefreshCountCarriesAcrossPlacementsUntilReset) {
  RecordingTarget target(false);
  Turtle t(target);
  for (int i = 0; i < 60; ++i) t.Forward(1);
  t.SetTurtle(0, 0, 0);  // a new curve: the count goes on
  for (int i = 0; i < 41; ++i) t.Forward(1);
  EXPECT_EQ(target.refreshedAfter, (std::vector<std::int64_t>{101}));
  t.LineCount = 0;  // what a sweep does when it starts
  for (int i = 0; i < 100; ++i) t.Forward(1);
  EXPECT_EQ(target.refreshes, 1);
}

// A walk must draw the segments, refresh after the ones and leave the turtle as the same moves
// on the turtle do, from any count toward the refresh (a negative one lets a run fill up before
// one comes), shorter and longer than one run; on a canvas, with the pixels and shown rectangles
// of the segments drawn one by one through Line.
TEST(TurtleTest, AWalkDrawsRefreshesAndEndsAsTheSameMovesOnTheTurtle) {
  for (const auto& [lineCount, moves] :
       {std::pair{0, 3}, {95, 12}, {100, 1}, {37, 300}, {-200, 300}}) {
    RecordingTarget plainTarget, walkedTarget;
    turtle::Canvas plainCanvas(64, 48), walkedCanvas(64, 48);
    std::vector<turtle::PixelRect> shown[2];
    plainCanvas.SetRefreshHandler([&](const turtle::PixelRect& r) { shown[0].push_back(r); });
    walkedCanvas.SetRefreshHandler([&](const turtle::PixelRect& r) { shown[1].push_back(r); });
    Turtle plain(plainTarget), walked(walkedTarget), walkedOnCanvas(walkedCanvas);
    Turtle plainOnCanvas(static_cast<turtle::LineTarget&>(plainCanvas));
    const auto walk = [moves](auto& t) {  // every fifth move of zero length
      for (int k = 0; k < moves; ++k) {
        t.Forward(0.37 * (k % 5));
        t.Turn(k % 2 == 0 ? 61 : -47);
      }
    };
    for (Turtle* t : {&plain, &walked, &plainOnCanvas, &walkedOnCanvas}) {
      t->SetTurtle(20, 15, 0);
      t->LineCount = static_cast<std::int16_t>(lineCount);
      t->PenColor = turtle::kYellow;
    }
    walk(plain);
    walk(plainOnCanvas);
    for (Turtle* t : {&walked, &walkedOnCanvas}) {
      Turtle::Walk w(*t);
      walk(w);
      w.End();
    }
    for (const Turtle* t : {&walked, &walkedOnCanvas}) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(t->PosX()),
                std::bit_cast<std::uint64_t>(plain.PosX()));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(t->PosY()),
                std::bit_cast<std::uint64_t>(plain.PosY()));
      EXPECT_EQ(t->Heading(), plain.Heading());
      EXPECT_EQ(t->LineCount, plain.LineCount) << moves;
    }
    ASSERT_EQ(walkedTarget.segments.size(), plainTarget.segments.size());
    EXPECT_EQ(std::memcmp(walkedTarget.segments.data(), plainTarget.segments.data(),
                          plainTarget.segments.size() * sizeof(testing_support::Segment)),
              0);
    EXPECT_EQ(walkedTarget.refreshedAfter, plainTarget.refreshedAfter) << moves;
    EXPECT_EQ(shown[1], shown[0]) << moves;
    EXPECT_EQ(testing_support::HashPixels(walkedCanvas.Image()),
              testing_support::HashPixels(plainCanvas.Image()));
  }
}

// The direction cache must give exactly what std::cos and std::sin give, for any heading,
// including ones that share a cache slot, and NaN, infinite, negative zero and huge ones.
TEST(TurtleTest, CachedDirectionsAreBitIdenticalToDirectTrigonometry) {
  RecordingTarget target(false);
  Turtle t(target);
  // clang-format off
  std::vector<double> headings = {0.0, -0.0, 60, -60, 90, 90.5, 1e300, -1e300, 4155.9375,
                                  std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN(), 5e-324};
  // clang-format on
  for (int i = 0; i < 500; ++i) headings.push_back(i * 0.37 - 90);
  for (int round = 0; round < 3; ++round) {
    for (const double h : headings) {
      t.SetTurtle(1.25, -3.5, h);
      t.Forward(7.75);
      const double r = h * 3.14159265358979 / 180;
      const double x = std::cos(r) * 7.75 + 1.25;
      const double y = std::sin(r) * 7.75 + -3.5;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(t.PosX()), std::bit_cast<std::uint64_t>(x)) << h;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(t.PosY()), std::bit_cast<std::uint64_t>(y)) << h;
    }
  }
}

TEST(TurtleTest, PositionsBeyondSinglePrecisionReachTheCanvasAsInfinity) {
  RecordingTarget target;
  Turtle t(target);
  t.Forward(1e100);
  EXPECT_EQ(target.last.x2, std::numeric_limits<float>::infinity());
  t.Turn(180);
  t.Forward(3e100);
  EXPECT_EQ(target.last.x2, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(t.PosX(), std::cos(turtle::Radians(180)) * 3e100 + 1e100);
}

TEST(TurtleTest, SingleHandOffRoundsToNearestAndSaturatesOnlyPastTheFloatRange) {
  constexpr double fmax = std::numeric_limits<float>::max();
  EXPECT_EQ(turtle::ToSingle(0.1), 0.1f);
  EXPECT_EQ(turtle::ToSingle(fmax), std::numeric_limits<float>::max());
  EXPECT_EQ(turtle::ToSingle(fmax + 0x1p102), std::numeric_limits<float>::max());
  EXPECT_EQ(turtle::ToSingle(-(fmax + 0x1p102)), -std::numeric_limits<float>::max());
  EXPECT_EQ(turtle::ToSingle(fmax + 0x1p103), std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(turtle::ToSingle(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_EQ(turtle::ToSingle(1e-50), 0.0f);
}

}  // namespace
