#include "sweeps/render.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "turtle/canvas.h"
#include "turtle/turtle.h"

namespace sweeps {

namespace {

// 2^53: from here on consecutive doubles are 2 or more apart.
constexpr double kFirstUncountable = 9007199254740992.0;

}  // namespace

bool SweepNeverEnds(double sweepMax) noexcept { return sweepMax >= kFirstUncountable; }

std::uint64_t CurvesInSweep(const SweepPlan& plan, double sweepMax) noexcept {
  if (SweepNeverEnds(sweepMax)) return std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t closing = plan.closingCurve ? 1 : 0;
  // Both directions pass through every whole number of steps from 0 to the maximum, exactly:
  // below 2^53 a step of 1 is never rounded. -0 still makes one pass; NaN fails the test.
  if (!(sweepMax >= 0.0)) return closing;
  return static_cast<std::uint64_t>(std::floor(sweepMax)) + 1 + closing;
}

RenderResult Render(const RenderRequest& request, const RenderPump& pump,
                    const RenderCurveHook& afterCurve) {
  if (request.plan == nullptr) throw std::invalid_argument("Render: no sweep");
  if (!ScaleInRange(request.scale)) {
    throw std::invalid_argument("Render: scale out of range");
  }
  // The canvas starts black as Cls will leave it; the sweep sets the world window itself.
  const PixelSize size = RenderSize(request.scale);
  turtle::Canvas canvas(size.width, size.height, turtle::kBlack);
  turtle::Turtle turtle(canvas);
  SweepState state;

  const std::uint64_t total = CurvesInSweep(*request.plan, request.sweepMax);
  std::uint64_t done = 0;
  SweepHost host{canvas,
                 turtle,
                 state,
                 [&request] { return request.style1Max; },
                 [&request] { return request.sweepMax; },
                 [&] {
                   // A pump comes before every pass's curve, so the one before it is finished.
                   if (pump && !pump(done, total)) state.StopRequested = -1;
                   ++done;
                 }};
  std::uint64_t drawn = 0;
  if (afterCurve) host.afterCurve = [&] { afterCurve(canvas, ++drawn); };
  const SweepEnd end = RunSweep(*request.plan, host);
  return {end, std::move(canvas.Image())};
}

}  // namespace sweeps
