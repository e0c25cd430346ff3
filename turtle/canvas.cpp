#include "turtle/canvas.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "turtle/single_precision.h"

namespace turtle {

Canvas::Canvas(int width, int height, ColorValue backColor)
    : scaleWidth_(static_cast<float>(width > 0 ? width : 0)),
      scaleHeight_(static_cast<float>(height > 0 ? height : 0)),
      backColor_(backColor),
      raster_(width, height, ToArgb32(backColor)) {
  UpdateMapping();
}

void Canvas::SetWorld(double x1, double y1, double x2, double y2) noexcept {
  scaleLeft_ = ToSingle(x1);
  scaleTop_ = ToSingle(y1);
  scaleWidth_ = ToSingle(x2 - x1);
  scaleHeight_ = ToSingle(y2 - y1);
  UpdateMapping();
}

void Canvas::UpdateMapping() noexcept {
  // A zero extent gives an infinite or NaN factor, and Line then draws nothing.
  pixelsPerUnitX_ = static_cast<double>(raster_.Width()) / static_cast<double>(scaleWidth_);
  pixelsPerUnitY_ = static_cast<double>(raster_.Height()) / static_cast<double>(scaleHeight_);
  raster_.MoveTo(DeviceX(BitCast<float>(penX_)), DeviceY(BitCast<float>(penY_)));
}

void Canvas::Polyline(WorldPoint start, std::span<const WorldPoint> ends, ColorValue color) {
  if (ends.empty()) return;
  // A turtle's run starts where its previous one ended: the raster's pen is there already.
  if (BitCast<std::uint32_t>(start.x) != penX_ || BitCast<std::uint32_t>(start.y) != penY_) {
    raster_.MoveTo(DeviceX(start.x), DeviceY(start.y));
  }
  const std::uint32_t argb = ArgbOf(color);
  std::array<DevicePoint, kEndsMappedAtOnce> device;
  for (std::size_t done = 0; done < ends.size(); done += device.size()) {
    const std::size_t count = std::min(device.size(), ends.size() - done);
    for (std::size_t k = 0; k < count; ++k) {
      device[k] = {DeviceX(ends[done + k].x), DeviceY(ends[done + k].y)};
    }
    raster_.PolylineTo({device.data(), count}, argb, drawWidth_);
  }
  penX_ = BitCast<std::uint32_t>(ends.back().x);
  penY_ = BitCast<std::uint32_t>(ends.back().y);
}

void Canvas::Cls() noexcept { raster_.Fill(ToArgb32(backColor_)); }

void Canvas::Refresh() {
  if (!refreshHandler_ || raster_.Dirty().Empty()) return;
  refreshHandler_(raster_.TakeDirty());
}

void Canvas::Resize(int width, int height) {
  raster_.Resize(width, height, ToArgb32(backColor_));
  UpdateMapping();
}

}  // namespace turtle
