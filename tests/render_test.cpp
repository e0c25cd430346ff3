#include "sweeps/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "support/raster_helpers.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RenderTest, OnlyMaximaWhereAStepOfOneIsLostNeverEnd) {
  EXPECT_FALSE(sweeps::SweepNeverEnds(9007199254740991.0));  // 2^53 - 1
  EXPECT_TRUE(sweeps::SweepNeverEnds(9007199254740992.0));
  EXPECT_TRUE(sweeps::SweepNeverEnds(1e300));
  EXPECT_TRUE(sweeps::SweepNeverEnds(kInf));
  for (const double max : {kNan, -kInf, -5.0, 0.0})
    EXPECT_FALSE(sweeps::SweepNeverEnds(max)) << max;
  // The largest count there is, without overflow: 2^53 passes and the closing curve.
  EXPECT_EQ(sweeps::CurvesInSweep(sweeps::kDrawSweep, 9007199254740991.0), (1ull << 53) + 1);
}

// The count the progress shows must be the number of curves the sweep loop really draws.
TEST(RenderTest, CurveCountMatchesThePumpsOfARealSweep) {
  for (const sweeps::SweepPlan* plan : sweeps::kSweepPlans) {
    for (const double max : {kNan, -kInf, -5.0, -0.0, 0.0, 3.5, 7.0}) {
      std::uint64_t pumps = 0;
      std::uint64_t seenTotal = 0;
      const sweeps::RenderResult r =
          sweeps::Render({plan, 60, max, 1}, [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_EQ(done, pumps);
            seenTotal = total;
            ++pumps;
            return true;
          });
      EXPECT_EQ(r.end, sweeps::SweepEnd::RanOut);
      const std::uint64_t total = sweeps::CurvesInSweep(*plan, max);
      EXPECT_EQ(total, pumps + (plan->closingCurve ? 1 : 0)) << plan->name << " to " << max;
      if (pumps > 0) {
        EXPECT_EQ(seenTotal, total);
      }
    }
  }
}

TEST(RenderTest, PumpStopsTheRenderBeforeTheNextCurve) {
  int pumps = 0;
  const sweeps::RenderResult r =
      sweeps::Render({&sweeps::kStyle2Sweep, 0, 90, 1}, [&](auto done, auto) {
        ++pumps;
        return done < 2;
      });
  EXPECT_EQ(r.end, sweeps::SweepEnd::Stopped);
  EXPECT_EQ(pumps, 3);
  // Two curves and no closing curve.
  EXPECT_EQ(testing_support::CountPixels(r.image, turtle::ToArgb32(turtle::kYellow)), 0);
  EXPECT_THROW((void)sweeps::Render({&sweeps::kDrawSweep, 60, 90, 0}), std::invalid_argument);
  EXPECT_THROW((void)sweeps::Render({&sweeps::kDrawSweep, 60, 90, 17}), std::invalid_argument);
}

// The default Draw sweep at scale 4, pixel for pixel: one-pixel lines on a raster four times as
// wide and high under the same world window. A change here means the picture changed: look at
// the image written next to the test binary before updating the constant.
TEST(RenderTest, DrawSweepAtScaleFourIsUnchanged) {
  const sweeps::RenderResult r = sweeps::Render({&sweeps::kDrawSweep, 60, 90, 4});
  ASSERT_EQ(r.image.Width(), 4 * sweeps::kCanvasWidth);
  ASSERT_EQ(r.image.Height(), 4 * sweeps::kCanvasHeight);
  const std::uint64_t hash = testing_support::HashPixels(r.image);
  constexpr std::uint64_t kExpected = 0x70a39edd8f7fe9f3ull;
  if (hash != kExpected) {
    const std::string path = std::string(VORNLACE_TEST_OUTPUT_DIR) + "/draw_sweep_4x.ppm";
    testing_support::WritePpm(r.image, path);
    ADD_FAILURE() << "picture hash 0x" << std::hex << hash << ", image written to " << path;
  }
}

}  // namespace
