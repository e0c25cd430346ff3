#include "web/page.h"

#include <algorithm>

#include "sweeps/number_text.h"
#include "sweeps/render.h"

namespace web {

Page::Page(int width, int height, turtle::ColorValue background)
    : canvas_(1, 1, background),
      turtle_(canvas_),
      stack_(sweeps::SweepHost{canvas_,
                               turtle_,
                               state_,
                               [this] { return sweeps::NumberFromText(text1_); },
                               [this] { return sweeps::NumberFromText(text2_); },
                               {}}) {
  // The page hands over every change at its own presents, so a refresh point only records.
  canvas_.SetRefreshHandler(
      [this](const turtle::PixelRect& changed) { refreshed_ = refreshed_.United(changed); });
  Resize(width, height);
}

bool Page::Start(const sweeps::SweepPlan& plan) { return stack_.Start(plan); }

void Page::Resize(int width, int height) {
  width = std::clamp(width, 1, kMaxRasterWidth);
  height = std::clamp(height, 1, kMaxRasterHeight);
  canvas_.Resize(width, height);
  rgba_.assign(static_cast<std::size_t>(width) * height * 4, 0);
}

turtle::PixelRect Page::TakeChanged() {
  turtle::Raster& raster = canvas_.Image();
  const turtle::PixelRect changed = refreshed_.United(raster.TakeDirty());
  refreshed_ = {};
  const auto width = static_cast<std::size_t>(raster.Width());
  for (int y = changed.top; y < changed.bottom; ++y) {
    const std::uint32_t* from = raster.Bits() + y * width;
    std::uint8_t* to = rgba_.data() + (y * width) * 4;
    for (int x = changed.left; x < changed.right; ++x) {
      // 0xffRRGGBB to the bytes R, G, B, A.
      const std::uint32_t argb = from[x];
      to[4 * x + 0] = static_cast<std::uint8_t>(argb >> 16);
      to[4 * x + 1] = static_cast<std::uint8_t>(argb >> 8);
      to[4 * x + 2] = static_cast<std::uint8_t>(argb);
      to[4 * x + 3] = static_cast<std::uint8_t>(argb >> 24);
    }
  }
  return changed;
}

std::string Page::SuggestedName() const { return state_.LastRead.FileStem() + ".png"; }

}  // namespace web
