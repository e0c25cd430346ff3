#include "animation/animate.h"

#include <stdexcept>

namespace animation {

std::uint64_t FramesIn(const AnimationRequest& request) noexcept {
  if (request.render.plan == nullptr) return 1;
  return SlotsFor(sweeps::CurvesInSweep(*request.render.plan, request.render.sweepMax),
                  request.every);
}

sweeps::SweepEnd Animate(const AnimationRequest& request, const ByteSink& out,
                         const sweeps::RenderPump& pump) {
  const Pacing& pacing = request.pacing;
  if (pacing.fps < 1 || pacing.fps > kMaxFps) throw std::invalid_argument("Animate: fps");
  if (!(pacing.holdSeconds >= 0 && pacing.holdSeconds <= kMaxHoldSeconds)) {
    throw std::invalid_argument("Animate: hold");
  }
  if (request.every < 1) throw std::invalid_argument("Animate: every");
  if (request.render.plan == nullptr || sweeps::SweepNeverEnds(request.render.sweepMax) ||
      FramesIn(request) > kMaxFrames) {
    throw std::invalid_argument("Animate: too many frames");
  }
  if (request.render.scale < 1 || request.render.scale > sweeps::kMaxRenderScale) {
    throw std::invalid_argument("Animate: scale");
  }
  const int width = sweeps::kCanvasWidth * request.render.scale;
  const int height = sweeps::kCanvasHeight * request.render.scale;
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
