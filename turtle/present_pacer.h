#pragma once
// PresentPacer: decides when the canvas's changes are handed to the screen. A display shows at
// most one frame per refresh interval, so a refresh that comes sooner than one frame after the
// last present is held back and its area kept for the next one: whenever the screen is shown,
// it is current. Areas are raster (device) pixel rectangles; times are nanoseconds of a
// monotonic clock the owner supplies, so a test can drive it. It only keeps the books: it
// neither draws nor waits, and nothing here touches a screen.

#include <cstdint>
#include <functional>

#include "turtle/raster.h"

namespace turtle {

class PresentPacer {
 public:
  using Nanoseconds = std::int64_t;
  using Clock = std::function<Nanoseconds()>;

  // The frame assumed where the display reports no plausible refresh rate: 60 Hz.
  static constexpr Nanoseconds kDefaultFrame = 1'000'000'000 / 60;

  explicit PresentPacer(Clock clock);

  // The display's refresh rate in hertz; one not finite or outside 1 to 1000 Hz means 60 Hz.
  void SetRefreshRate(double hertz) noexcept;
  [[nodiscard]] Nanoseconds Frame() const noexcept { return frame_; }

  struct Decision {
    PixelRect present;  // hand this to the screen now; empty while the frame is not due
    PixelRect mark;     // held back: have the next ordinary paint show this; empty if it will
  };
  // A refresh point: `changed` is the area changed since the previous one (may be empty).
  Decision Refresh(const PixelRect& changed);

  // Everything held back, to be presented now whatever the clock says; empty when nothing is.
  PixelRect Flush();

  // A paint showed `shown` on the screen. What it covers is no longer held; one that shows all
  // that was held counts as a present for the pacing. Every paint is counted in the statistics.
  void Painted(const PixelRect& shown);

  [[nodiscard]] const PixelRect& Held() const noexcept { return held_; }

  // Paints counted since the last reset, and the longest time between two of them.
  [[nodiscard]] std::int64_t Paints() const noexcept { return paints_; }
  [[nodiscard]] Nanoseconds LongestGap() const noexcept { return longestGap_; }
  void ResetStatistics() noexcept;

 private:
  // Everything held is on the screen as of `now`: returns it and starts the next frame.
  PixelRect TakeHeld(Nanoseconds now);

  Clock clock_;
  Nanoseconds frame_ = kDefaultFrame;
  bool presentedBefore_ = false;
  Nanoseconds lastPresent_ = 0;
  PixelRect held_;    // changed, not yet on the screen
  PixelRect marked_;  // the part of held_ already marked for the next ordinary paint
  std::int64_t paints_ = 0;
  Nanoseconds lastPaint_ = 0;
  Nanoseconds longestGap_ = 0;
};

}  // namespace turtle
