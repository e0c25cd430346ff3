#include "turtle/present_pacer.h"

#include <cmath>
#include <utility>

namespace turtle {

namespace {

bool Covers(const PixelRect& outer, const PixelRect& inner) noexcept {
  return inner.Empty() || (!outer.Empty() && outer.left <= inner.left && outer.top <= inner.top &&
                           outer.right >= inner.right && outer.bottom >= inner.bottom);
}

}  // namespace

PresentPacer::PresentPacer(Clock clock) : clock_(std::move(clock)) {}

void PresentPacer::SetRefreshRate(double hertz) noexcept {
  const bool plausible = std::isfinite(hertz) && hertz >= 1.0 && hertz <= 1000.0;
  frame_ = plausible ? static_cast<Nanoseconds>(std::llround(1e9 / hertz)) : kDefaultFrame;
}

PresentPacer::Decision PresentPacer::Refresh(const PixelRect& changed) {
  held_ = held_.United(changed);
  if (held_.Empty()) return {};
  const Nanoseconds now = clock_();
  if (!presentedBefore_ || now - lastPresent_ >= frame_) return {TakeHeld(now), {}};
  // Held back. Marking costs Qt some bookkeeping, so only an area that grew is marked again.
  if (Covers(marked_, held_)) return {};
  marked_ = held_;
  return {{}, held_};
}

PixelRect PresentPacer::Flush() {
  if (held_.Empty()) return {};
  return TakeHeld(clock_());
}

PixelRect PresentPacer::TakeHeld(Nanoseconds now) {
  presentedBefore_ = true;
  lastPresent_ = now;
  marked_ = {};
  return std::exchange(held_, {});
}

void PresentPacer::Painted(const PixelRect& shown) {
  const Nanoseconds now = clock_();
  if (paints_ > 0 && now - lastPaint_ > longestGap_) longestGap_ = now - lastPaint_;
  ++paints_;
  lastPaint_ = now;
  if (!held_.Empty() && Covers(shown, held_)) TakeHeld(now);
}

void PresentPacer::ResetStatistics() noexcept {
  paints_ = 0;
  longestGap_ = 0;
}

}  // namespace turtle
