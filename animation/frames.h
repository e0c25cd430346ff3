#pragma once
// The frames of an animated sweep: the canvas as it stands after every curve (or every K
// curves), each handed on as only the rectangle that changed since the frame before. Frames
// sit on a grid of slots, one per frame rate tick; a slot whose picture did not change adds its
// time to the frame before it. Plain C++: encoding the frames belongs to a FrameSink.

#include <cstdint>

#include "turtle/raster.h"

namespace animation {

// How an animation is paced: frames per second, and how long the last frame stays.
struct Pacing {
  int fps = 25;            // 1 to kMaxFps
  double holdSeconds = 2;  // 0 to kMaxHoldSeconds
};
inline constexpr int kMaxFps = 60;
inline constexpr double kMaxHoldSeconds = 60;

// The end of slot `slot` in units of 1/unitsPerSecond s, rounded: round(units · slot / fps).
// Frame times taken from this grid add up to the frame rate's whole, however each one rounds.
[[nodiscard]] std::int64_t SlotTime(std::uint64_t slot, int fps, int unitsPerSecond) noexcept;
// The hold in the same units, rounded.
[[nodiscard]] std::int64_t HoldTime(double holdSeconds, int unitsPerSecond) noexcept;

// Receives the frames in order.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // A frame starting at `startSlot`: the canvas as it stands, and the rectangle of it that
  // differs from `previous` (the last frame's picture; nullptr for the first frame, whose
  // rectangle is the whole canvas). Pixels inside the rectangle may still equal `previous`.
  virtual void AddFrame(const turtle::Raster& canvas, const turtle::Raster* previous,
                        const turtle::PixelRect& changed, std::uint64_t startSlot) = 0;
  // The last frame ends at `endSlot`, and then stays for the hold.
  virtual void Finish(std::uint64_t endSlot) = 0;
};

// Watches a render curve by curve and feeds a sink. Keeps one copy of the canvas, the last
// frame's picture, to find what changed; nothing else grows with the number of frames.
class FrameTaker {
 public:
  // One frame per `every` curves (at least 1); the frame after the last curve is always taken.
  FrameTaker(FrameSink& sink, std::uint64_t every);

  // After each curve, with the canvas as it stands. Takes the raster's changed rectangle.
  void AfterCurve(turtle::Raster& canvas);
  // After the render: takes the last frame if curves were drawn since the last one (or the
  // canvas as it stands, as one slot, when no curve was drawn at all) and finishes the sink.
  void Finish(turtle::Raster& canvas);

 private:
  void TakeFrame(turtle::Raster& canvas);

  FrameSink& sink_;
  std::uint64_t every_;
  std::uint64_t curves_ = 0;         // drawn so far
  std::uint64_t curvesAtFrame_ = 0;  // drawn when the last slot was taken
  std::uint64_t slots_ = 0;          // slots taken so far
  bool framed_ = false;              // a frame was handed on; previous_ holds its picture
  turtle::Raster previous_{0, 0, 0};
  turtle::PixelRect touched_;  // drawn on since the last slot
};

// How many slots an animation of `curves` curves has at one frame per `every`: at least one.
[[nodiscard]] std::uint64_t SlotsFor(std::uint64_t curves, std::uint64_t every) noexcept;

}  // namespace animation
