#include "turtle/device_pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

using turtle::PixelRect;

namespace {

constexpr PixelRect kClient{18, 10, 591, 423};  // inside the picture box at (16, 8), logical

// What a repaint surely reaches: Qt's rounding of the logical rectangle for the clip and the
// flush (position and size each to the nearest device pixel), less a pixel at every edge.
PixelRect SurelyRepainted(const PixelRect& logical, double r) {
  const auto nearest = [r](int pixels) { return static_cast<int>(std::lround(pixels * r)); };
  const int x = nearest(logical.left);
  const int y = nearest(logical.top);
  return {x + 1, y + 1, x + nearest(logical.Width()) - 1, y + nearest(logical.Height()) - 1};
}

struct Grid {
  const char* name;
  double ratio;
  PixelRect raster;  // the client area's device pixels, worked out by hand
};

class DevicePixelsTest : public ::testing::TestWithParam<Grid> {};

// One raster pixel changes, an odd and an even column and row at each edge: the repaint asked
// for reaches it on the screen even where Qt's rounding falls a pixel short, and the paint that
// follows copies it to where the raster lies.
TEST_P(DevicePixelsTest, RepaintOfOneEdgePixelReachesTheScreen) {
  const auto& [name, r, raster] = GetParam();
  ASSERT_EQ(turtle::DeviceCover(kClient, r), raster);
  for (const int edge : {0, 1, -2, -1}) {
    const int x = edge < 0 ? raster.Width() + edge : edge;
    const int y = edge < 0 ? raster.Height() + edge : edge;
    SCOPED_TRACE(::testing::Message() << "raster pixel " << x << ", " << y);
    const PixelRect pixel{x, y, x + 1, y + 1};
    const PixelRect onDevice{raster.left + x, raster.top + y, raster.left + x + 1,
                             raster.top + y + 1};
    const PixelRect cover = turtle::LogicalCover(pixel, raster.left, raster.top, r);
    EXPECT_EQ(SurelyRepainted(cover, r).Intersected(onDevice), onDevice) << "not repainted";

    const PixelRect e = cover.Intersected(kClient);  // painted in the box's own coordinates
    const turtle::RasterCopy copy =
        turtle::ExposedRaster({e.left - 16, e.top - 8, e.right - 16, e.bottom - 8}, 2, 2,
                              {r, r, 16 * r, 8 * r}, raster.Width(), raster.Height());
    EXPECT_EQ(copy.source.Intersected(pixel), pixel) << "not copied";
    EXPECT_EQ(std::pair(copy.deviceX, copy.deviceY), std::pair(raster.left, raster.top));
  }
}

// The far edge of an exposed area lies where a painter maps it, the top-left and then the scaled
// size: at 1.1, with the box at (16, 8), the columns 1..4 reach 18.7 + 3.3, which in doubles
// comes out a hair past 22, so device column 22 is painted and raster column 3 (from 19) copied.
TEST(DevicePixelsFarEdgeTest, ExposedAreaEndsWhereThePainterPutsIt) {
  const turtle::RasterCopy copy =
      turtle::ExposedRaster({1, 1, 4, 4}, 2, 2, {1.1, 1.1, 16 * 1.1, 8 * 1.1}, 632, 455);
  EXPECT_EQ(copy.source, (PixelRect{0, 0, 4, 3}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Ratios, DevicePixelsTest, ::testing::Values(
    Grid{"Ratio1",    1.0,  {18, 10, 591, 423}},
    Grid{"Ratio1_1",  1.1,  {19, 11, 651, 466}},
    Grid{"Ratio1_25", 1.25, {22, 12, 739, 529}},
    Grid{"Ratio1_5",  1.5,  {27, 15, 887, 635}},
    Grid{"Ratio1_75", 1.75, {31, 17, 1035, 741}},
    Grid{"Ratio2",    2.0,  {36, 20, 1182, 846}}),
    [](const ::testing::TestParamInfo<Grid>& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
