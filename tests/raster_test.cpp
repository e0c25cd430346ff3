#include "turtle/raster.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "support/raster_helpers.h"

using testing_support::CountPixels;
using testing_support::PaintedBounds;
using turtle::PixelRect;
using turtle::Raster;

namespace {

constexpr std::uint32_t kBack = 0xff000000u;
constexpr std::uint32_t kInk = 0xffffff00u;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct OctantCase {
  const char* name;
  double x0, y0, x1, y1;
};

void PrintTo(const OctantCase& c, std::ostream* os) { *os << c.name; }

class RasterOctantTest : public ::testing::TestWithParam<OctantCase> {};

// One line per octant from the centre pixel: the painted box spans exactly the end points'
// pixels, and the line is one pixel per step along its longer axis, with no gap.
TEST_P(RasterOctantTest, PaintsFromEndPixelToEndPixelOnePixelPerStep) {
  const OctantCase& c = GetParam();
  Raster r(41, 41, kBack);
  r.DrawLine(c.x0, c.y0, c.x1, c.y1, kInk);
  const int i0 = static_cast<int>(std::floor(std::min(c.x0, c.x1)));
  const int i1 = static_cast<int>(std::floor(std::max(c.x0, c.x1)));
  const int j0 = static_cast<int>(std::floor(std::min(c.y0, c.y1)));
  const int j1 = static_cast<int>(std::floor(std::max(c.y0, c.y1)));
  EXPECT_EQ(PaintedBounds(r, kBack), (PixelRect{i0, j0, i1 + 1, j1 + 1}));
  EXPECT_EQ(CountPixels(r, kInk), std::max(i1 - i0, j1 - j0) + 1);
  EXPECT_EQ(r.Pixel(static_cast<int>(c.x0), static_cast<int>(c.y0)), kInk);
  EXPECT_EQ(r.Pixel(static_cast<int>(c.x1), static_cast<int>(c.y1)), kInk);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Octants, RasterOctantTest,
    ::testing::Values(OctantCase{"East", 20.5, 20.5, 38.2, 27.9},
                      OctantCase{"SouthEast", 20.5, 20.5, 27.9, 38.2},
                      OctantCase{"SouthWest", 20.5, 20.5, 13.1, 38.2},
                      OctantCase{"West", 20.5, 20.5, 2.8, 27.9},
                      OctantCase{"WestNorth", 20.5, 20.5, 2.8, 13.1},
                      OctantCase{"NorthWest", 20.5, 20.5, 13.1, 2.8},
                      OctantCase{"NorthEast", 20.5, 20.5, 27.9, 2.8},
                      OctantCase{"EastNorth", 20.5, 20.5, 38.2, 13.1}),
    [](const ::testing::TestParamInfo<OctantCase>& row) { return std::string(row.param.name); });
// clang-format on

TEST(RasterTest, EveryLitPixelContainsAPointOfTheSegment) {
  Raster r(64, 64, kBack);
  const double x0 = 3.25, y0 = 60.7, x1 = 58.9, y1 = 11.15;
  r.DrawLine(x0, y0, x1, y1, kInk);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (r.Pixel(x, y) != kInk) continue;
      // The segment crosses the pixel square if the square's corners are not all on one side.
      int sides = 0;
      for (const auto& [cx, cy] : {std::pair{x, y}, {x + 1, y}, {x, y + 1}, {x + 1, y + 1}}) {
        const double cross = (x1 - x0) * (cy - y0) - (y1 - y0) * (cx - x0);
        sides |= cross > 0 ? 1 : (cross < 0 ? 2 : 3);
      }
      EXPECT_EQ(sides & 3, 3) << "pixel " << x << "," << y << " is off the segment";
    }
  }
}

TEST(RasterTest, ClippedDrawingMatchesTheSameLineOnALargerRaster) {
  // The same line drawn on a 30×30 raster, and on a 90×90 one shifted by 30 pixels, must light
  // the same pixels where the two overlap.
  Raster small(30, 30, kBack);
  Raster large(90, 90, kBack);
  small.DrawLine(-20.3, -7.6, 47.1, 41.7, kInk);
  large.DrawLine(-20.3 + 30, -7.6 + 30, 47.1 + 30, 41.7 + 30, kInk);
  int lit = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      EXPECT_EQ(small.Pixel(x, y), large.Pixel(x + 30, y + 30)) << x << "," << y;
      lit += small.Pixel(x, y) == kInk;
    }
  }
  EXPECT_GT(lit, 20);
}

TEST(RasterTest, ZeroLengthSegmentLightsThePixelUnderIt) {
  Raster r(10, 10, kBack);
  r.DrawLine(4.7, 6.2, 4.7, 6.2, kInk);
  EXPECT_EQ(CountPixels(r, kInk), 1);
  EXPECT_EQ(r.Pixel(4, 6), kInk);
}

TEST(RasterTest, PointsOnTheFarEdgesBelongToTheLastPixel) {
  Raster r(10, 10, kBack);
  r.DrawLine(10.0, 10.0, 10.0, 10.0, kInk);
  EXPECT_EQ(r.Pixel(9, 9), kInk);
  r.DrawLine(0.0, 10.0, 10.0, 10.0, kInk);
  EXPECT_EQ(CountPixels(r, kInk), 10);
}

TEST(RasterTest, HostileCoordinatesDrawOnlyTheVisiblePartOrNothing) {
  struct Case {
    double x0, y0, x1, y1;
    bool drawsSomething;
  } cases[] = {
      // clang-format off
      {kNaN, 1, 2, 3, false},         {1, 2, kNaN, kNaN, false},
      {kInf, 5, 5, 5, false},         {-kInf, -kInf, kInf, kInf, false},
      {-1e30, 5.5, 1e30, 5.5, true},  {5.5, -1e300, 5.5, 1e300, true},
      {-1e300, -1e300, 1e300, 1e300, true}, {1e30, 1e30, 2e30, 2e30, false},
      {-5, -5, -1, -1, false},        {20.5, 3, 30, 3, false},
      {-3e9, 4.5, 3e9, 4.5, true},    {2.1e9, -2.1e9, -2.1e9, 2.1e9, true},
      // clang-format on
      {1e-310, 1e-310, 5e-324, 0, true},
  };
  for (const Case& c : cases) {
    Raster r(16, 16, kBack);
    r.DrawLine(c.x0, c.y0, c.x1, c.y1, kInk);
    EXPECT_EQ(CountPixels(r, kInk) > 0, c.drawsSomething)
        << c.x0 << "," << c.y0 << " - " << c.x1 << "," << c.y1;
  }
}

TEST(RasterTest, HorizontalLineThroughAFarOffSegmentSpansTheWholeRow) {
  Raster r(16, 16, kBack);
  r.DrawLine(-1e30, 5.5, 1e30, 5.5, kInk);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(r.Pixel(x, 5), kInk);
  EXPECT_EQ(CountPixels(r, kInk), 16);
}

TEST(RasterTest, EmptyRasterIgnoresEverything) {
  Raster r(0, 0, kBack);
  r.DrawLine(0, 0, 0, 0, kInk);
  r.DrawLine(-1, -1, 5, 5, kInk, 5);
  r.Fill(kInk);
  EXPECT_TRUE(r.TakeDirty().Empty());
  Raster negative(-4, 7, kBack);
  EXPECT_EQ(negative.Width(), 0);
  EXPECT_EQ(negative.Pixel(0, 0), 0u);
}

TEST(RasterTest, DirtyRectangleCoversWhatChangedSinceItWasLastTaken) {
  Raster r(50, 40, kBack);
  EXPECT_EQ(r.TakeDirty(), (PixelRect{0, 0, 50, 40}));  // a new raster is all new
  EXPECT_TRUE(r.TakeDirty().Empty());
  r.DrawLine(10.5, 12.5, 13.5, 11.5, kInk);
  r.DrawLine(30.2, 30.9, 30.2, 30.9, kInk);
  EXPECT_EQ(r.TakeDirty(), (PixelRect{10, 11, 31, 31}));
  r.DrawLine(-100, -100, -50, -50, kInk);
  EXPECT_TRUE(r.TakeDirty().Empty());
  // Segments within one pixel, as most of a sweep's are: the same pixel twice, one below it in
  // the same column, one in the same row; then, after a take, the last of them once more.
  r.DrawLine(5.2, 7.3, 5.8, 7.9, kInk);
  r.DrawLine(5.1, 7.1, 5.4, 7.6, kInk);
  r.DrawLine(5.5, 20.5, 5.5, 20.5, kInk);
  r.DrawLine(30.5, 7.5, 30.9, 7.2, kInk);
  EXPECT_EQ(r.TakeDirty(), (PixelRect{5, 7, 31, 21}));
  r.DrawLine(30.5, 7.5, 30.5, 7.5, kInk);
  EXPECT_EQ(r.TakeDirty(), (PixelRect{30, 7, 31, 8}));
  r.Fill(kBack);
  EXPECT_EQ(r.TakeDirty(), (PixelRect{0, 0, 50, 40}));
}

TEST(RasterTest, WidePenStampsASquareClippedToTheRaster) {
  Raster r(10, 10, kBack);
  r.DrawLine(0.5, 0.5, 0.5, 0.5, kInk, 3);
  EXPECT_EQ(PaintedBounds(r, kBack), (PixelRect{0, 0, 2, 2}));
  r.TakeDirty();
  r.DrawLine(5.5, 5.5, 5.5, 5.5, kInk, 3);
  EXPECT_EQ(CountPixels(r, kInk), 4 + 9);
  EXPECT_EQ(r.TakeDirty(), (PixelRect{4, 4, 7, 7}));
  // A run's segment within one pixel stamps the square too (two wide: the pixel and those right
  // of and below it).
  Raster run(10, 10, kBack);
  run.MoveTo(5.5, 5.5);
  const turtle::DevicePoint end[] = {{5.75, 5.25}};
  run.PolylineTo(end, kInk, 2);
  EXPECT_EQ(CountPixels(run, kInk), 4);
  EXPECT_EQ(PaintedBounds(run, kBack), (PixelRect{5, 5, 7, 7}));
}

// PolylineTo draws from where the last segment ended, as DrawLine draws from there, also after a
// resize has moved the pen's pixel to another place in the raster or off it.
TEST(RasterTest, PolylineToDrawsAsDrawLineFromThePenThroughAResize) {
  const struct { int width, height; } sizes[] = {{12, 9}, {7, 9}, {12, 3}};
  for (const auto& size : sizes) {
    Raster run(12, 9, kBack);
    Raster alone(12, 9, kBack);
    run.MoveTo(4.25, 5.5);
    const turtle::DevicePoint first{4.5, 5.75};
    run.PolylineTo({&first, 1}, kInk);
    alone.DrawLine(4.25, 5.5, 4.5, 5.75, kInk);
    run.Resize(size.width, size.height, kBack);
    alone.Resize(size.width, size.height, kBack);
    for (const auto& [x0, y0, x1, y1] :
         {std::array{4.5, 5.75, 4.75, 5.25}, std::array{4.75, 5.25, 8.5, 2.5},
          std::array{8.5, 2.5, 8.25, 2.75}}) {
      const turtle::DevicePoint to{x1, y1};
      run.PolylineTo({&to, 1}, kInk);
      alone.DrawLine(x0, y0, x1, y1, kInk);
    }
    EXPECT_EQ(testing_support::HashPixels(run), testing_support::HashPixels(alone))
        << size.width << "x" << size.height;
    EXPECT_EQ(run.TakeDirty(), alone.TakeDirty()) << size.width << "x" << size.height;
  }
}

TEST(RasterTest, ResizeKeepsThePictureAtTheTopLeft) {
  Raster r(4, 3, kBack);
  r.DrawLine(3.5, 2.5, 3.5, 2.5, kInk);
  r.Resize(6, 5, 0xff0000ffu);
  EXPECT_EQ(r.Pixel(3, 2), kInk);
  EXPECT_EQ(r.Pixel(0, 0), kBack);
  EXPECT_EQ(r.Pixel(5, 4), 0xff0000ffu);
  r.Resize(2, 2, kInk);
  EXPECT_EQ(CountPixels(r, kBack), 4);
}

}  // namespace
