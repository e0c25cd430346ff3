#include "sweeps/sweeps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "curves/angle_colours.h"
#include "support/raster_helpers.h"
#include "support/recording_target.h"

using sweeps::RunSweep;
using sweeps::SweepEnd;
using testing_support::CountingTarget;

namespace {

constexpr int kCanvasPixels = sweeps::kCanvasWidth * sweeps::kCanvasHeight;

// A window's worth of sweep machinery on a real canvas, with inputs and a pump the test sets.
struct SweepRig {
  turtle::Canvas canvas{sweeps::kCanvasWidth, sweeps::kCanvasHeight,
                        turtle::PackColor(240, 240, 240)};
  CountingTarget counter{canvas};
  turtle::Turtle turtle{counter};
  sweeps::SweepState state;
  double text1 = 60;
  double text2 = 90;
  std::vector<std::string> reads;        // which box was read, in order
  std::vector<turtle::ColorValue> pens;  // PenColor at each pump's return, i.e. each curve
  int pumps = 0;
  std::function<void(SweepRig&)> onPump = [](SweepRig&) {};

  // clang-format off
  sweeps::SweepHost Host() {
    return {canvas, turtle, state,
            [this] { reads.push_back("Text1"); return text1; },
            [this] { reads.push_back("Text2"); return text2; },
            [this] { ++pumps; onPump(*this); }};
  }
  // clang-format on
  SweepEnd Run(const sweeps::SweepPlan& plan) {
    sweeps::SweepHost host = Host();
    return RunSweep(plan, host);
  }
  [[nodiscard]] int Count(turtle::ColorValue c) const {
    return testing_support::CountPixels(canvas.Image(), turtle::ToArgb32(c));
  }
};

TEST(SweepTest, DefaultSweepsDrawTheirKnownNumberOfSegments) {
  struct Case {
    const sweeps::SweepPlan* plan;
    std::int64_t segments;
  } cases[] = {{&sweeps::kDrawSweep, 3'359'558},
               {&sweeps::kStyle2Sweep, 7'125'759},
               {&sweeps::kStyle3Sweep, 7'109'375}};
  for (const Case& c : cases) {
    SweepRig b;
    EXPECT_EQ(b.Run(*c.plan), SweepEnd::RanOut);
    EXPECT_EQ(b.counter.lines, c.segments);
    EXPECT_EQ(b.pumps, 91);
    // LineCount starts at zero each sweep and carries across curves.
    EXPECT_EQ(b.counter.refreshes, c.segments / 101);
  }
}

TEST(SweepTest, DrawSweepReadsBothBoxesInOrderAndTheOthersOnlyTheSecond) {
  SweepRig b;
  b.text2 = -1;
  b.Run(sweeps::kDrawSweep);
  EXPECT_EQ(b.reads, (std::vector<std::string>{"Text1", "Text2"}));
  EXPECT_EQ(b.state.Style1MaxAngle, 60.0);
  b.reads.clear();
  b.text1 = 5;
  b.Run(sweeps::kStyle2Sweep);
  b.Run(sweeps::kStyle3Sweep);
  EXPECT_EQ(b.reads, (std::vector<std::string>{"Text2", "Text2"}));
  EXPECT_EQ(b.state.Style1MaxAngle, 60.0);
}

TEST(SweepTest, SweepPreparesTheCanvasAndResetsTheCount) {
  SweepRig b;
  b.canvas.SetDrawWidth(4);
  b.turtle.LineCount = 77;
  b.state.StopRequested = -1;
  b.text2 = -5;
  b.Run(sweeps::kStyle3Sweep);
  // The world window, restated on purpose as numbers worked out by hand.
  EXPECT_EQ(b.canvas.ScaleLeft(), -10.0f);
  EXPECT_EQ(b.canvas.ScaleTop(), 210.0f);
  EXPECT_EQ(b.canvas.ScaleWidth(), 320.0f);
  EXPECT_EQ(b.canvas.ScaleHeight(), -220.0f);
  EXPECT_EQ(b.canvas.DrawWidth(), 1);
  EXPECT_EQ(b.canvas.BackColor(), turtle::kBlack);
  EXPECT_EQ(b.turtle.LineCount, 0);
  EXPECT_EQ(b.state.StopRequested, 0);
  // -5: no pass, and style 3 has no closing curve: the canvas is left black.
  EXPECT_EQ(b.counter.lines, 0);
  EXPECT_EQ(b.Count(turtle::kBlack), kCanvasPixels);
}

TEST(SweepTest, EdgeMaximaGiveTheExpectedPassesAndClosingCurves) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* what;
    const sweeps::SweepPlan* plan;
    double max;
    int pumps;
    std::int64_t segments;
  } cases[] = {
      {"Draw at 0: one triangle curve and the closing curve", &sweeps::kDrawSweep, 0, 1, 2 * 16384},
      {"style 2 at 0", &sweeps::kStyle2Sweep, 0, 1, 78125 + 16384},
      {"style 3 at 0", &sweeps::kStyle3Sweep, 0, 1, 78125},
      {"Draw at -5: only the closing curve", &sweeps::kDrawSweep, -5, 0, 16384},
      {"style 2 at -5: only the closing curve", &sweeps::kStyle2Sweep, -5, 0, 16384},
      {"style 3 at -5: nothing", &sweeps::kStyle3Sweep, -5, 0, 0},
      {"Draw at NaN: no pass", &sweeps::kDrawSweep, nan, 0, 16384},
      {"style 3 at 2.5", &sweeps::kStyle3Sweep, 2.5, 3, 3 * 78125},
  };
  for (const auto& c : cases) {
    SweepRig b;
    b.text2 = c.max;
    EXPECT_EQ(b.Run(*c.plan), SweepEnd::RanOut) << c.what;
    EXPECT_EQ(b.pumps, c.pumps) << c.what;
    EXPECT_EQ(b.counter.lines, c.segments) << c.what;
  }
}

TEST(SweepTest, FractionalMaximumShiftsTheDownwardSweepsOnly) {
  // Each curve's pen colour tells which angle it was drawn at.
  for (const auto* plan : {&sweeps::kDrawSweep, &sweeps::kStyle3Sweep, &sweeps::kStyle2Sweep}) {
    SweepRig b;
    b.text2 = 90.5;
    b.onPump = [](SweepRig& self) { self.pens.push_back(self.turtle.PenColor); };
    b.Run(*plan);
    ASSERT_EQ(b.pumps, 91);
    // The pen seen at a pump is the previous curve's; the first is still unset.
    const auto colour = plan->color;
    const bool down = plan->step < 0;
    EXPECT_EQ(b.pens[1], colour(down ? 90.5 : 0.0));
    EXPECT_EQ(b.pens[90], colour(down ? 1.5 : 89.0));
  }
}

TEST(SweepTest, ClosingCurveIsYellowOnTopAndOnlyAfterAFullRun) {
  SweepRig b;
  b.text2 = 3;
  b.Run(sweeps::kDrawSweep);
  EXPECT_EQ(b.turtle.PenColor, turtle::kYellow);
  EXPECT_GT(b.Count(turtle::kYellow), 500);
  // The classic curve's tip, at world (150, 86.6), is yellow.
  const int x = static_cast<int>(b.canvas.DeviceX(150));
  const int y = static_cast<int>(b.canvas.DeviceY(86.6));
  bool yellowNearTip = false;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      yellowNearTip |= b.canvas.Image().Pixel(x + dx, y + dy) == turtle::ToArgb32(turtle::kYellow);
  EXPECT_TRUE(yellowNearTip);
}

TEST(SweepTest, StopAtTheFirstPumpDrawsNothing) {
  SweepRig b;
  b.onPump = [](SweepRig& self) { self.state.StopRequested = -1; };
  EXPECT_EQ(b.Run(sweeps::kDrawSweep), SweepEnd::Stopped);
  EXPECT_EQ(b.counter.lines, 0);
  EXPECT_EQ(b.Count(turtle::kBlack), kCanvasPixels);
  EXPECT_EQ(b.state.StopRequested, -1);  // stays set until the next sweep starts
}

TEST(SweepTest, StopDuringTheLastCurveStillGetsTheClosingCurve) {
  // A stop can only be seen at a pump; one that "arrives" during the last curve is found by no
  // further pump, so the loop runs out and the closing curve follows.
  SweepRig b;
  b.text2 = 2;
  b.onPump = [](SweepRig& self) {
    if (self.pumps == 3) self.state.StopRequested = 0;  // nothing yet at the last check
  };
  EXPECT_EQ(b.Run(sweeps::kStyle2Sweep), SweepEnd::RanOut);
  b.state.StopRequested = -1;  // the click, handled after the last pass
  EXPECT_EQ(b.counter.lines, 3 * 78125 + 16384);
  EXPECT_EQ(b.turtle.PenColor, turtle::kYellow);
}

TEST(SweepTest, StopAfterSomeCurvesEndsBeforeTheNextAndSkipsTheClosingCurve) {
  SweepRig b;
  b.onPump = [](SweepRig& self) {
    if (self.pumps == 4) self.state.StopRequested = -1;
  };
  EXPECT_EQ(b.Run(sweeps::kStyle2Sweep), SweepEnd::Stopped);
  EXPECT_EQ(b.counter.lines, 3 * 78125);
  EXPECT_EQ(b.Count(turtle::kYellow), 0);
}

TEST(SweepTest, NestedSweepRunsToItsEndThenTheOuterOneContinuesWithItsOwnBounds) {
  SweepRig b;
  b.text2 = 3;
  b.onPump = [](SweepRig& self) {
    if (self.pumps != 2) return;
    self.text1 = 10;
    self.text2 = 1;  // the inner sweep's maximum; the outer keeps 3
    self.Run(sweeps::kDrawSweep);
  };
  EXPECT_EQ(b.Run(sweeps::kStyle3Sweep), SweepEnd::RanOut);
  // Outer: 4 curves at 3, 2, 1, 0; inner, inside the outer's second pump: 1, 0 and closing.
  EXPECT_EQ(b.pumps, 4 + 2);
  EXPECT_EQ(b.counter.lines, 4 * 78125 + 3 * 16384);
  EXPECT_EQ(b.state.Style1MaxAngle, 10.0);
  EXPECT_EQ(b.state.SweepMaxAngle, 1.0);
}

TEST(SweepTest, OneStopEndsEveryRunningSweepInnermostFirst) {
  SweepRig b;
  std::vector<SweepEnd> ends;
  b.onPump = [&ends](SweepRig& self) {
    if (self.pumps == 2) ends.push_back(self.Run(sweeps::kStyle2Sweep));
    if (self.pumps == 4) self.state.StopRequested = -1;  // inside the inner sweep
  };
  ends.push_back(b.Run(sweeps::kDrawSweep));
  EXPECT_EQ(ends, (std::vector<SweepEnd>{SweepEnd::Stopped, SweepEnd::Stopped}));
  EXPECT_EQ(b.pumps, 4);  // the outer one finds it at the check after the pump that ran the inner
}

// A storm of presses, each handled in whichever pump runs next: nesting stops at the bound, the
// presses there start nothing, and the sweeps already running finish with their own bounds.
TEST(SweepTest, PressesPastTheNestingBoundStartNothingAndRunningSweepsGoOn) {
  SweepRig b;
  b.text2 = 3;  // the outer sweep: four passes
  int presses = 40;
  int deepest = 0;
  int refused = 0;
  b.onPump = [&](SweepRig& self) {
    deepest = std::max(deepest, self.state.RunningSweeps);
    self.text2 = 0;  // every nested sweep: one pass
    if (presses == 0) return;
    --presses;
    if (self.Run(sweeps::kStyle3Sweep) == SweepEnd::NotStarted) ++refused;
  };
  EXPECT_EQ(b.Run(sweeps::kStyle3Sweep), SweepEnd::RanOut);
  EXPECT_EQ(deepest, sweeps::kMaxRunningSweeps);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(b.state.RunningSweeps, 0);
  const int nested = 40 - refused;
  EXPECT_EQ(b.pumps, 4 + nested);
  EXPECT_EQ(b.counter.lines, (4 + nested) * std::int64_t{78125});
}

TEST(SweepTest, OneStopEndsEverySweepUpToTheBound) {
  SweepRig b;
  std::vector<SweepEnd> ends;
  b.onPump = [&ends](SweepRig& self) {
    if (self.state.RunningSweeps < sweeps::kMaxRunningSweeps) {
      ends.push_back(self.Run(sweeps::kDrawSweep));
      return;
    }
    self.state.StopRequested = -1;
    // A press at the bound must not clear the stop that was just requested.
    EXPECT_EQ(self.Run(sweeps::kDrawSweep), SweepEnd::NotStarted);
  };
  ends.push_back(b.Run(sweeps::kDrawSweep));
  ASSERT_EQ(ends.size(), static_cast<std::size_t>(sweeps::kMaxRunningSweeps));
  for (const SweepEnd end : ends) EXPECT_EQ(end, SweepEnd::Stopped);
  EXPECT_EQ(b.counter.lines, 0);
  EXPECT_EQ(b.state.RunningSweeps, 0);
}

TEST(SweepTest, ClosingTheWindowEndsEverySweepAndBlocksNewOnes) {
  SweepRig b;
  b.onPump = [](SweepRig& self) {
    if (self.pumps == 2) self.Run(sweeps::kStyle3Sweep);
    if (self.pumps == 3) self.state.Closing = true;
  };
  EXPECT_EQ(b.Run(sweeps::kDrawSweep), SweepEnd::Stopped);
  const auto drawn = b.counter.lines;
  EXPECT_EQ(b.Run(sweeps::kDrawSweep), SweepEnd::Stopped);
  EXPECT_EQ(b.counter.lines, drawn);
}

TEST(SweepTest, AMaximumTooLargeToCountDownStillStopsOnRequest) {
  for (const double max : {1e300, std::numeric_limits<double>::infinity()}) {
    SweepRig b;
    b.text2 = max;
    b.onPump = [](SweepRig& self) {
      if (self.pumps == 3) self.state.StopRequested = -1;
    };
    EXPECT_EQ(b.Run(sweeps::kDrawSweep), SweepEnd::Stopped);
    EXPECT_EQ(b.pumps, 3);
  }
}

// What a started sweep read is recorded where it starts, for the names its pictures are offered
// under; a press at the bound records nothing.
TEST(SweepTest, TheLastSweepToReadItsInputsNamesThePicture) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const sweeps::SweepPlan* plan;
    double max;
    const char* stem;
  } cases[] = {{&sweeps::kStyle2Sweep, 90, "vornlace-style2-90"},
               {&sweeps::kDrawSweep, 90.5, "vornlace-draw-90.5"},
               {&sweeps::kStyle3Sweep, -5, "vornlace-style3--5"},
               {&sweeps::kDrawSweep, 0.1, "vornlace-draw-0.1"},
               {&sweeps::kDrawSweep, inf, "vornlace-draw-inf"}};
  EXPECT_EQ(sweeps::SweepInputs{}.FileStem(), "vornlace");
  for (const Case& c : cases) {
    EXPECT_EQ((sweeps::SweepInputs{c.plan, 0, c.max}.FileStem()), c.stem);
    EXPECT_EQ(sweeps::SweepNamed(c.plan->name), c.plan);
  }
  SweepRig b;
  b.text1 = 45;
  b.text2 = 2;
  b.onPump = [](SweepRig& self) {
    if (self.pumps != 1) return;
    self.text2 = 1;
    self.Run(sweeps::kStyle3Sweep);  // inside the Draw sweep: the last one to read
    self.text2 = 7;                  // edited afterwards: read by no sweep
  };
  b.Run(sweeps::kDrawSweep);
  EXPECT_EQ(b.state.LastRead.plan, &sweeps::kStyle3Sweep);
  EXPECT_EQ(b.state.LastRead.style1Max, 45.0);
  EXPECT_EQ(b.state.LastRead.sweepMax, 1.0);
  b.state.RunningSweeps = sweeps::kMaxRunningSweeps;
  EXPECT_EQ(b.Run(sweeps::kDrawSweep), SweepEnd::NotStarted);
  EXPECT_EQ(b.state.LastRead.plan, &sweeps::kStyle3Sweep);
}

TEST(SweepTest, StepsCallTheHookAfterEveryCurveAndDrawTheClosingCurveWithTheLastPass) {
  struct Case {
    const sweeps::SweepPlan* plan;
    double max;
    int steps;   // steps while it runs: one per pass
    int curves;  // hook calls: passes and the closing curve
  } cases[] = {{&sweeps::kStyle2Sweep, 2, 3, 4},
               {&sweeps::kStyle3Sweep, 2, 3, 3},
               {&sweeps::kDrawSweep, -5, 0, 1},  // no pass: the closing curve as it starts
               {&sweeps::kStyle3Sweep, -5, 0, 0}};
  for (const Case& c : cases) {
    SweepRig b;
    b.text2 = c.max;
    sweeps::SweepHost host = b.Host();
    std::vector<std::int64_t> linesAtHook;
    host.afterCurve = [&] { linesAtHook.push_back(b.counter.lines); };
    sweeps::Sweep sweep(*c.plan, host);
    int steps = 0;
    for (; sweep.Running(); ++steps) sweep.Step();
    EXPECT_EQ(sweep.End(), SweepEnd::RanOut);
    EXPECT_EQ(steps, c.steps);
    ASSERT_EQ(linesAtHook.size(), static_cast<std::size_t>(c.curves));
    if (c.curves > 0) {
      EXPECT_EQ(linesAtHook.back(), b.counter.lines);
    }
    EXPECT_EQ(b.state.RunningSweeps, 0);
  }
}

// The web page's driver: the nested run above, built from steps. The inner sweep starts between
// the outer one's first and second passes, where the desktop's pump ran it.
TEST(SweepTest, AStackOfSteppedSweepsDrawsWhatNestedRunsDraw) {
  SweepRig nested;
  nested.text2 = 3;
  nested.onPump = [](SweepRig& self) {
    if (self.pumps != 2) return;
    self.text1 = 10;
    self.text2 = 1;
    self.Run(sweeps::kDrawSweep);
  };
  nested.Run(sweeps::kStyle3Sweep);

  SweepRig stepped;
  stepped.text2 = 3;
  sweeps::SweepStack stack(stepped.Host());
  ASSERT_TRUE(stack.Start(sweeps::kStyle3Sweep));
  stack.Step();
  stepped.text1 = 10;
  stepped.text2 = 1;
  ASSERT_TRUE(stack.Start(sweeps::kDrawSweep));
  EXPECT_EQ(stack.Depth(), 2u);
  while (stack.Running()) stack.Step();
  EXPECT_EQ(stepped.counter.lines, nested.counter.lines);
  EXPECT_EQ(testing_support::HashPixels(stepped.canvas.Image()),
            testing_support::HashPixels(nested.canvas.Image()));
  EXPECT_EQ(stepped.state.RunningSweeps, 0);
}

TEST(SweepTest, OneStopEndsEveryStackedSweepWithoutDrawingAgain) {
  SweepRig b;
  sweeps::SweepStack stack(b.Host());
  stack.Start(sweeps::kStyle2Sweep);
  stack.Step();
  stack.Start(sweeps::kDrawSweep);
  stack.Step();
  const auto drawn = b.counter.lines;
  b.state.StopRequested = -1;
  stack.Step();
  EXPECT_EQ(stack.Depth(), 1u);
  stack.Step();
  EXPECT_FALSE(stack.Running());
  EXPECT_EQ(b.counter.lines, drawn);
  {
    // At the bound a press starts nothing and leaves the stop alone.
    sweeps::SweepStack full(b.Host());
    for (int i = 0; i < sweeps::kMaxRunningSweeps; ++i) EXPECT_TRUE(full.Start(sweeps::kDrawSweep));
    b.state.StopRequested = -1;
    EXPECT_FALSE(full.Start(sweeps::kDrawSweep));
    EXPECT_EQ(b.state.StopRequested, -1);
  }
  // Sweeps dropped while they run give their places back.
  EXPECT_EQ(b.state.RunningSweeps, 0);
}

// The whole default Draw sweep, pixel for pixel. A change here means the picture changed: look
// at the image written next to the test binary before updating the constant.
TEST(SweepTest, DefaultDrawSweepPictureIsUnchanged) {
  SweepRig b;
  b.Run(sweeps::kDrawSweep);
  const std::uint64_t hash = testing_support::HashPixels(b.canvas.Image());
  constexpr std::uint64_t kExpected = 0xefcdbcd2def54ec5ull;
  if (hash != kExpected) {
    const std::string path = std::string(VORNLACE_TEST_OUTPUT_DIR) + "/draw_sweep.ppm";
    testing_support::WritePpm(b.canvas.Image(), path);
    ADD_FAILURE() << "picture hash 0x" << std::hex << hash << ", image written to " << path;
  }
}

}  // namespace
