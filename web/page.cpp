#include "web/page.h"

#include <algorithm>

#include "form/form.h"
#include "sweeps/number_text.h"

namespace web {

namespace {

// A starting text of the form as UTF-16. The form's texts are ASCII digits, which are the same
// code units in both; anything else would be a fault in the table.
std::u16string Utf16(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

}  // namespace

Page::Page(int width, int height, turtle::ColorValue background)
    : canvas_(1, 1, background),
      turtle_(canvas_),
      stack_(sweeps::SweepHost{canvas_,
                               turtle_,
                               state_,
                               [this] { return NumberIn(form::IndexOf(form::Style1MaxBox())); },
                               [this] { return NumberIn(form::IndexOf(form::SweepMaxBox())); },
                               {},
                               [this] { ++curvesDrawn_; }}) {
  for (const form::Control& c : form::Controls()) {
    texts_.push_back(c.kind == form::Kind::TextBox ? Utf16(c.text) : std::u16string());
  }
  // The page hands over every change at its own presents, so a refresh point only records.
  canvas_.SetRefreshHandler(
      [this](const turtle::PixelRect& changed) { refreshed_ = refreshed_.United(changed); });
  Resize(width, height);
}

std::u16string* Page::Text(std::size_t control) noexcept {
  const auto controls = form::Controls();
  if (control >= controls.size() || controls[control].kind != form::Kind::TextBox) return nullptr;
  return &texts_[control];
}

double Page::NumberIn(std::size_t control) const { return sweeps::NumberFromText(texts_[control]); }

bool Page::Press(std::size_t control) {
  const auto controls = form::Controls();
  if (control >= controls.size()) return false;
  const form::Control& c = controls[control];
  if (c.press == form::Press::Stop) state_.StopRequested = -1;
  return c.press == form::Press::Sweep && Start(*c.sweep);
}

bool Page::Start(const sweeps::SweepPlan& plan) { return stack_.Start(plan); }

void Page::Resize(int width, int height) {
  width = std::clamp(width, 1, kMaxRaster.width);
  height = std::clamp(height, 1, kMaxRaster.height);
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
      const turtle::Channels c = turtle::ChannelsOfPixel(from[x]);
      to[4 * x + 0] = c.red;
      to[4 * x + 1] = c.green;
      to[4 * x + 2] = c.blue;
      to[4 * x + 3] = 0xff;  // the raster is opaque
    }
  }
  return changed;
}

std::string Page::SuggestedName() const { return state_.LastRead.FileStem() + ".png"; }

}  // namespace web
