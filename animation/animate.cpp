#include "animation/animate.h"

#include <stdexcept>

namespace animation {

std::uint64_t FramesIn(const AnimationRequest& request) noexcept {
  if (request.render.plan == nullptr) return 1;
  return SlotsFor(sweeps::CurvesInSweep(*request.render.plan, request.render.sweepMax),
                  request.every);
}

RequestProblem ProblemOf(const AnimationRequest& request) noexcept {
  const Pacing& pacing = request.pacing;
  if (request.render.plan == nullptr) return RequestProblem::NoSweep;
  if (!sweeps::ScaleInRange(request.render.scale)) return RequestProblem::Scale;
  if (pacing.fps < 1 || pacing.fps > kMaxFps) return RequestProblem::Fps;
  if (!(pacing.holdSeconds >= 0 && pacing.holdSeconds <= kMaxHoldSeconds)) {
    return RequestProblem::Hold;
  }
  if (request.every < 1) return RequestProblem::Every;
  if (sweeps::SweepNeverEnds(request.render.sweepMax)) return RequestProblem::NeverEnds;
  if (FramesIn(request) > kMaxFrames) return RequestProblem::TooManyFrames;
  return RequestProblem::None;
}

sweeps::SweepEnd Animate(const AnimationRequest& request, const ByteSink& out,
                         const sweeps::RenderPump& pump) {
  if (ProblemOf(request) != RequestProblem::None) {
    throw std::invalid_argument("Animate: a request out of range");
  }
  const Pacing& pacing = request.pacing;
  const auto [width, height] = sweeps::RenderSize(request.render.scale);
  const std::unique_ptr<FrameSink> encoder = request.format == Format::Gif
                                                 ? MakeGifEncoder(width, height, pacing, out)
                                                 : MakeWebPEncoder(width, height, pacing, out);
  FrameTaker frames(*encoder, request.every);
  sweeps::RenderResult result = sweeps::Render(
      request.render, pump,
      [&frames](turtle::Canvas& canvas, std::uint64_t) { frames.AfterCurve(canvas.Image()); });
  if (result.end == sweeps::SweepEnd::Stopped) return result.end;
  frames.Finish(result.image);
  return result.end;
}

}  // namespace animation
