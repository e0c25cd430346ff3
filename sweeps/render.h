#pragma once
// Off-screen renders: one sweep run exactly as its button runs it in a freshly started window,
// drawn on a canvas of N × N device pixels per logical pixel under the same world window, with
// a callback before every curve that can follow the progress and stop the render, and one after
// every curve that can watch the picture grow.
// Plain C++: turning the raster into an image file belongs to the caller.

#include <cstdint>
#include <functional>

#include "sweeps/sweeps.h"
#include "turtle/raster.h"

namespace sweeps {

// The largest scale a render takes: 16 × 16 device pixels per logical pixel is a raster of
// 9168 × 6608, about 240 MB.
inline constexpr int kMaxRenderScale = 16;
// Whether a render takes this scale: a whole number from 1 to kMaxRenderScale.
constexpr bool ScaleInRange(int scale) noexcept { return scale >= 1 && scale <= kMaxRenderScale; }

// The size in device pixels of a render at a scale: the canvas's logical size, scale times
// each way.
struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
constexpr PixelSize RenderSize(int scale) noexcept {
  return {kCanvasWidth * scale, kCanvasHeight * scale};
}

// True when a sweep to this maximum would never end by itself: +∞, and every value from 2^53
// up, where doubles are at least 2 apart and a step of 1 rounds away, so the angle stands still
// (a downward sweep from 2^53 itself does get below it, but only to need 2^53 more curves).
// NaN, -∞ and negative maxima end at once.
[[nodiscard]] bool SweepNeverEnds(double sweepMax) noexcept;

// How many curves a full run of the sweep draws: one per pass (every whole-degree step from 0
// to the maximum, none for a negative or NaN maximum) and the closing curve if the sweep has
// one. Only meaningful when !SweepNeverEnds(sweepMax).
[[nodiscard]] std::uint64_t CurvesInSweep(const SweepPlan& plan, double sweepMax) noexcept;

struct RenderRequest {
  const SweepPlan* plan = &kDrawSweep;
  double style1Max = 0.0;  // read by the Draw sweep only; the other sweeps keep a fresh 0
  double sweepMax = 0.0;
  int scale = 1;  // 1 to kMaxRenderScale
};

// Called before each pass's curve with the curves drawn so far and the total a full run
// draws; returning false stops the render there, as the stop button would.
using RenderPump = std::function<bool(std::uint64_t curvesDone, std::uint64_t curvesTotal)>;

// Called after every curve, the closing curve included, with the canvas as it stands and the
// number of curves drawn so far. The hook may read the raster and take its changed rectangle.
using RenderCurveHook = std::function<void(turtle::Canvas& canvas, std::uint64_t curvesDrawn)>;

struct RenderResult {
  SweepEnd end;          // RanOut, or Stopped when the pump asked to stop
  turtle::Raster image;  // RenderSize(scale), 0xffRRGGBB
};

// Runs the sweep on a fresh canvas, turtle and sweep state. Throws std::invalid_argument for a
// null plan or a scale outside 1 to kMaxRenderScale. A maximum that never ends is the caller's
// to refuse (or to stop through the pump).
[[nodiscard]] RenderResult Render(const RenderRequest& request, const RenderPump& pump = {},
                                  const RenderCurveHook& afterCurve = {});

}  // namespace sweeps
