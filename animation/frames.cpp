#include "animation/frames.h"

#include <cmath>
#include <cstring>

namespace animation {

namespace {

// The part of `area` where the two rasters (of one size) differ, as a bounding rectangle.
turtle::PixelRect DifferenceWithin(const turtle::Raster& a, const turtle::Raster& b,
                                   const turtle::PixelRect& area) {
  turtle::PixelRect found;
  for (int y = area.top; y < area.bottom; ++y) {
    const std::uint32_t* rowA = a.Bits() + static_cast<std::size_t>(y) * a.Width();
    const std::uint32_t* rowB = b.Bits() + static_cast<std::size_t>(y) * b.Width();
    int x = area.left;
    while (x < area.right && rowA[x] == rowB[x]) ++x;
    if (x == area.right) continue;
    int last = area.right - 1;
    while (rowA[last] == rowB[last]) --last;
    found = found.United({x, y, last + 1, y + 1});
  }
  return found;
}

void CopyRect(const turtle::Raster& from, turtle::Raster& to, const turtle::PixelRect& r) {
  for (int y = r.top; y < r.bottom; ++y) {
    const std::size_t offset = static_cast<std::size_t>(y) * from.Width() + r.left;
    std::memcpy(to.Bits() + offset, from.Bits() + offset, sizeof(std::uint32_t) * r.Width());
  }
}

}  // namespace

std::int64_t SlotTime(std::uint64_t slot, int fps, int unitsPerSecond) noexcept {
  // Exact in integers: round(units · slot / fps), halves up.
  const auto units = static_cast<std::uint64_t>(unitsPerSecond);
  const auto rate = static_cast<std::uint64_t>(fps);
  return static_cast<std::int64_t>((2 * units * slot + rate) / (2 * rate));
}

std::int64_t HoldTime(double holdSeconds, int unitsPerSecond) noexcept {
  return std::llround(holdSeconds * unitsPerSecond);
}

std::uint64_t SlotsFor(std::uint64_t curves, std::uint64_t every) noexcept {
  if (every == 0) every = 1;
  return curves == 0 ? 1 : curves / every + (curves % every != 0 ? 1 : 0);
}

FrameTaker::FrameTaker(FrameSink& sink, std::uint64_t every)
    : sink_(sink), every_(every == 0 ? 1 : every) {}

void FrameTaker::AfterCurve(turtle::Raster& canvas) {
  ++curves_;
  touched_ = touched_.United(canvas.TakeDirty());
  if (curves_ % every_ == 0) TakeFrame(canvas);
}

void FrameTaker::Finish(turtle::Raster& canvas) {
  if (curves_ > curvesAtFrame_ || !framed_) TakeFrame(canvas);
  sink_.Finish(slots_);
}

void FrameTaker::TakeFrame(turtle::Raster& canvas) {
  curvesAtFrame_ = curves_;
  const std::uint64_t slot = slots_++;
  const turtle::PixelRect whole{0, 0, canvas.Width(), canvas.Height()};
  if (!framed_) {
    sink_.AddFrame(canvas, nullptr, whole, slot);
    previous_ = canvas;
    framed_ = true;
  } else {
    const turtle::PixelRect changed = DifferenceWithin(previous_, canvas, touched_);
    // Nothing changed: no frame, and the last one lasts a slot longer.
    if (!changed.Empty()) {
      sink_.AddFrame(canvas, &previous_, changed, slot);
      CopyRect(canvas, previous_, changed);
    }
  }
  touched_ = {};
  canvas.TakeDirty();
}

}  // namespace animation
