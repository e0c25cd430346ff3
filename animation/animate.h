#pragma once
// A sweep's animation: the off-screen render of the sweep, exactly as a still render runs it,
// with a frame taken after every curve (or every K curves) and encoded as it comes, so that no
// raw frame is kept once it is encoded. The last frame is the still render's picture.
// Plain C++ on the core and the encoders; where the bytes go is the caller's.

#include <cstdint>

#include "animation/encoders.h"
#include "animation/frames.h"
#include "sweeps/render.h"

namespace animation {

// The most frames an animation may have: beyond it, one frame per K curves shortens it.
inline constexpr std::uint64_t kMaxFrames = 100'000;

struct AnimationRequest {
  sweeps::RenderRequest render;
  Format format = Format::WebP;
  Pacing pacing;
  std::uint64_t every = 1;  // one frame per `every` curves, at least 1
};

// The frames a full run gives at most (slots; curves that change nothing merge into fewer).
// Only meaningful when the sweep ends: !sweeps::SweepNeverEnds(request.render.sweepMax).
[[nodiscard]] std::uint64_t FramesIn(const AnimationRequest& request) noexcept;

// What is wrong with a request, the first thing found in this order: no sweep, a scale, rate,
// hold or frame step out of range, a sweep that never ends, more than kMaxFrames frames.
enum class RequestProblem { None, NoSweep, Scale, Fps, Hold, Every, NeverEnds, TooManyFrames };
[[nodiscard]] RequestProblem ProblemOf(const AnimationRequest& request) noexcept;

// Renders the sweep and encodes its frames into `out`. The pump is the render's: called before
// every pass's curve, it can follow the progress and stop the render, which then returns
// Stopped and what `out` has received is no whole file. Throws std::invalid_argument for a
// request with a problem (ProblemOf), WriteFailed when `out` refuses bytes and
// std::runtime_error when an encoder fails.
sweeps::SweepEnd Animate(const AnimationRequest& request, const ByteSink& out,
                         const sweeps::RenderPump& pump = {});

}  // namespace animation
