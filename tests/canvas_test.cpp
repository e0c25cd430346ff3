#include "turtle/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "support/raster_helpers.h"
#include "sweeps/sweeps.h"

using testing_support::CountPixels;
using testing_support::PaintedBounds;
using turtle::Canvas;
using turtle::PixelRect;
using turtle::ToArgb32;

namespace {

constexpr turtle::ColorValue kRed = turtle::PackColor(255, 0, 0);

// A canvas of the size the window gives it, set up the way every sweep sets it up.
Canvas SweepCanvas(int width = sweeps::kCanvasWidth, int height = sweeps::kCanvasHeight) {
  Canvas c(width, height, turtle::PackColor(240, 240, 240));
  c.SetWorld(sweeps::kSweepWorld.x1, sweeps::kSweepWorld.y1, sweeps::kSweepWorld.x2,
             sweeps::kSweepWorld.y2);
  c.SetBackColor(turtle::kBlack);
  c.Cls();
  return c;
}

TEST(CanvasTest, SetWorldStoresLeftTopWidthHeightInSinglePrecision) {
  Canvas c(100, 100);
  // The sweeps' corners, restated here on purpose: the expected fields are worked out by hand.
  c.SetWorld(-10, 210, 310, -10);
  EXPECT_EQ(c.ScaleLeft(), -10.0f);
  EXPECT_EQ(c.ScaleTop(), 210.0f);
  EXPECT_EQ(c.ScaleWidth(), 320.0f);
  EXPECT_EQ(c.ScaleHeight(), -220.0f);
  c.SetWorld(0.1, 0, 1e300, 1);
  EXPECT_EQ(c.ScaleLeft(), 0.1f);
  EXPECT_EQ(c.ScaleWidth(), std::numeric_limits<float>::infinity());
  // A million units out floats lie 1/16 apart, so the corners round to the nearest sixteenth:
  // 1000000.1 to 1000000.125 and -999999.9 to -999999.875. The extents are differences taken
  // in double, 0.2 and -0.4 give or take 1e-10, and only then rounded to 0.2f and -0.4f
  // (rounding the corners first would give 0.1875 and -0.4375). On 100 × 100 pixels, 500 and
  // -250 pixels a unit: 0.05 right of the left edge is x 25, 0.3 below the top is y 75.
  c.SetWorld(1000000.1, -999999.9, 1000000.3, -1000000.3);
  EXPECT_EQ(c.ScaleLeft(), 1000000.125f);
  EXPECT_EQ(c.ScaleTop(), -999999.875f);
  EXPECT_EQ(c.ScaleWidth(), 0.2f);
  EXPECT_EQ(c.ScaleHeight(), -0.4f);
  EXPECT_NEAR(c.DeviceX(1000000.175), 25.0, 1e-4);
  EXPECT_NEAR(c.DeviceY(-1000000.175), 75.0, 1e-4);
}

TEST(CanvasTest, SweepWorldWindowPutsTheBaseLineTenUnitsInFromThreeEdges) {
  const Canvas c = SweepCanvas(640, 440);
  EXPECT_DOUBLE_EQ(c.DeviceX(0), 640.0 * 10 / 320);
  EXPECT_DOUBLE_EQ(c.DeviceY(0), 440.0 - 440.0 * 10 / 220);
  EXPECT_DOUBLE_EQ(c.DeviceX(300), 640.0 - 640.0 * 10 / 320);
  EXPECT_DOUBLE_EQ(c.DeviceX(-10), 0.0);
  EXPECT_DOUBLE_EQ(c.DeviceY(210), 0.0);
  EXPECT_DOUBLE_EQ(c.DeviceY(-10), 440.0);
}

TEST(CanvasTest, AxesScaleIndependently) {
  Canvas c(200, 50);
  c.SetWorld(0, 0, 100, 100);
  EXPECT_DOUBLE_EQ(c.DeviceX(50), 100.0);
  EXPECT_DOUBLE_EQ(c.DeviceY(50), 25.0);
}

TEST(CanvasTest, BaseLineLandsOnTheExpectedPixels) {
  Canvas c = SweepCanvas(640, 440);
  c.Line(0, 0, 300, 0, kRed);
  // x from 20 to 620, y at 420 (where the row is exactly on a pixel boundary, the lower one).
  EXPECT_EQ(PaintedBounds(c.Image(), ToArgb32(turtle::kBlack)), (PixelRect{20, 420, 621, 421}));
}

TEST(CanvasTest, SegmentRunningPastTheWindowIsDrawnUpToTheEdge) {
  Canvas c = SweepCanvas(320, 220);
  c.Line(100, 100, 1000, 100, kRed);
  const auto y = static_cast<int>(std::floor(c.DeviceY(100)));
  EXPECT_EQ(c.Image().Pixel(319, y), ToArgb32(kRed));
  EXPECT_EQ(CountPixels(c.Image(), ToArgb32(kRed)), 320 - 110);
}

TEST(CanvasTest, ClsFillsWithTheBackColorSetBeforeIt) {
  Canvas c(8, 8);
  c.SetBackColor(kRed);
  EXPECT_EQ(CountPixels(c.Image(), ToArgb32(kRed)), 0);  // setting it changes no pixel
  c.Cls();
  EXPECT_EQ(CountPixels(c.Image(), ToArgb32(kRed)), 64);
}

TEST(CanvasTest, DrawingReachesTheScreenOnlyThroughRefresh) {
  Canvas c = SweepCanvas(320, 220);
  std::vector<PixelRect> shown;
  c.SetRefreshHandler([&](const PixelRect& r) { shown.push_back(r); });
  c.Refresh();  // the Cls before
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], (PixelRect{0, 0, 320, 220}));

  c.Line(0, 0, 10, 10, kRed);
  c.Line(20, 5, 20, 5, kRed);
  EXPECT_EQ(shown.size(), 1u);
  c.Refresh();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], (PixelRect{10, 200, 31, 211}));
  c.Refresh();  // nothing changed since
  EXPECT_EQ(shown.size(), 2u);
}

TEST(CanvasTest, DegenerateOrHostileWorldWindowsDrawNothingAndDoNotCrash) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // clang-format off
  const double windows[][4] = {{0, 0, 0, 0}, {5, 5, 5, 10}, {0, 0, 1e-300, 1e-300},
                               {-1e300, 1e300, 1e300, -1e300}, {0, 0, inf, inf}};
  // clang-format on
  for (const auto& w : windows) {
    Canvas c(40, 30);
    c.SetWorld(w[0], w[1], w[2], w[3]);
    c.Line(0, 0, 1, 1, kRed);
    c.Line(nan, 0, inf, -inf, kRed);
    c.Line(3e38f, -3e38f, -3e38f, 3e38f, kRed);
    EXPECT_LE(CountPixels(c.Image(), ToArgb32(kRed)), 40 + 30);
  }
}

TEST(CanvasTest, TinyWorldWindowStillClipsSafely) {
  Canvas c(40, 30);
  c.SetWorld(0, 1.4e-45, 1.4e-45, 0);  // the smallest float extent: huge device coordinates
  c.Line(-3e38f, -3e38f, 3e38f, 3e38f, kRed);
  c.Line(0, 0, 1.4e-45f, 1.4e-45f, kRed);
  EXPECT_GT(CountPixels(c.Image(), ToArgb32(kRed)), 0);
}

TEST(CanvasTest, WidePenDrawsWiderLines) {
  Canvas c = SweepCanvas(320, 220);
  c.SetDrawWidth(3);
  c.Line(0, 100, 300, 100, kRed);
  EXPECT_EQ(PaintedBounds(c.Image(), ToArgb32(turtle::kBlack)).Height(), 3);
}

// The canvas keeps where its last segment ended, already sorted onto the raster, for the next
// segment to start from. Whatever changes between two segments, and however the segments are
// handed over (one by one through Line, or in runs through Polyline, longer ones than it maps at
// once among them), a run must draw exactly what the same segments draw one by one through the
// raster's own mapping-free DrawLine.
TEST(CanvasTest, ARunOfSegmentsDrawsAsItsSegmentsDrawnAlone) {
  struct Row {
    const char* between;
    std::function<void(Canvas&)> change;
  };
  const Row rows[] = {
      {"nothing", [](Canvas&) {}},
      {"the world window", [](Canvas& c) { c.SetWorld(-2.5, 26, 18, -3); }},
      {"the size", [](Canvas& c) { c.Resize(23, 31); }},
      {"the pen width", [](Canvas& c) { c.SetDrawWidth(3); }},
  };
  // 0: each segment through Line; else runs of up to this many through Polyline.
  for (const std::size_t runLength :
       {std::size_t{0}, std::size_t{1}, std::size_t{7}, Canvas::kEndsMappedAtOnce + 3}) {
    for (const Row& row : rows) {
      Canvas run(40, 30);
      run.SetWorld(-4, 24, 16, -6);
      turtle::Raster alone(40, 30, ToArgb32(turtle::kBlack));
      turtle::WorldPoint start{3.1f, 2.2f};
      std::vector<turtle::WorldPoint> ends;
      for (int k = 1; k < 400; ++k) {
        // A curve in steps of a quarter pixel or so, now and then out to a point off the canvas,
        // and then one in steps of several pixels, where every end shows.
        const double turn = k <= 89 ? 0.03 : 0.5;
        ends.push_back({static_cast<float>(6 + 5 * std::sin(turn * k) + (k % 17 == 0 ? 30 : 0)),
                        static_cast<float>(9 + 7 * std::cos(4 * turn / 3 * k))});
        // The change comes between the 59th and 60th segment, the colour's after the 89th.
        if (k != 59 && k != 89 && k != 399 && ends.size() < std::max<std::size_t>(runLength, 1)) {
          continue;
        }
        const turtle::ColorValue color = k <= 89 ? kRed : turtle::kYellow;
        if (runLength == 0) {
          run.Line(start.x, start.y, ends[0].x, ends[0].y, color);
        } else {
          run.Polyline(start, ends, color);
        }
        for (const turtle::WorldPoint& end : ends) {
          alone.DrawLine(run.DeviceX(start.x), run.DeviceY(start.y), run.DeviceX(end.x),
                         run.DeviceY(end.y), ToArgb32(color), run.DrawWidth());
          start = end;
        }
        ends.clear();
        if (k == 59) {
          row.change(run);
          alone.Resize(run.Image().Width(), run.Image().Height(), ToArgb32(turtle::kBlack));
        }
      }
      EXPECT_EQ(testing_support::HashPixels(run.Image()), testing_support::HashPixels(alone))
          << row.between << ", runs of " << runLength;
      EXPECT_EQ(run.Image().Dirty(), alone.Dirty()) << row.between << ", runs of " << runLength;
      EXPECT_GT(CountPixels(run.Image(), ToArgb32(turtle::kYellow)), 5) << row.between;
    }
  }
}

TEST(CanvasTest, ResizeKeepsPictureAndMapsTheWorldWindowOntoTheNewSize) {
  Canvas c = SweepCanvas(320, 220);
  c.Line(0, 0, 0, 0, kRed);
  c.Resize(640, 440);
  EXPECT_EQ(c.Image().Pixel(10, 210), ToArgb32(kRed));
  EXPECT_EQ(c.Image().Pixel(639, 439), ToArgb32(turtle::kBlack));
  EXPECT_DOUBLE_EQ(c.DeviceX(0), 20.0);
}

}  // namespace
