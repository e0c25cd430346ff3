#pragma once
// Canvas: the drawing surface in world units. A world window (single-precision ScaleLeft,
// ScaleTop, ScaleWidth, ScaleHeight) maps onto a retained Raster of the client area, axes
// scaled independently; BackColor, Cls, DrawWidth, Line and Refresh act on that raster.
// The canvas never touches a screen: Refresh hands the changed rectangle to a callback that
// whoever shows the raster installs. One pen pixel is one raster (device) pixel.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "turtle/bit_cast.h"
#include "turtle/colour_value.h"
#include "turtle/line_target.h"
#include "turtle/raster.h"

namespace turtle {

// A point in world units, in the single precision the canvas takes.
struct WorldPoint {
  float x = 0.0f;
  float y = 0.0f;
};

class Canvas final : public LineTarget {
 public:
  // Receives the raster rectangle changed since the previous refresh; never an empty one.
  using RefreshHandler = std::function<void(const PixelRect&)>;

  // A client area of width × height device pixels, filled with backColor. The world window
  // starts as the identity: world units are device pixels.
  Canvas(int width, int height, ColorValue backColor = kBlack);

  // Sets the world window from two corners: (x1, y1) becomes the top-left corner of the client
  // area and (x2, y2) the bottom-right. Each value is stored in single precision, in the order
  // ScaleLeft, ScaleTop, ScaleWidth = x2 - x1, ScaleHeight = y2 - y1. A zero or non-finite
  // width or height is accepted; nothing is then drawn along that axis.
  void SetWorld(double x1, double y1, double x2, double y2) noexcept;

  [[nodiscard]] float ScaleLeft() const noexcept { return scaleLeft_; }
  [[nodiscard]] float ScaleTop() const noexcept { return scaleTop_; }
  [[nodiscard]] float ScaleWidth() const noexcept { return scaleWidth_; }
  [[nodiscard]] float ScaleHeight() const noexcept { return scaleHeight_; }

  // The colour Cls fills with. Setting it changes no pixel.
  void SetBackColor(ColorValue color) noexcept { backColor_ = color; }
  [[nodiscard]] ColorValue BackColor() const noexcept { return backColor_; }

  // Fills the whole retained image with BackColor. Shows nothing until Refresh or a repaint.
  void Cls() noexcept;

  // Line width in device pixels; values below 1 draw as 1.
  void SetDrawWidth(std::int16_t pixels) noexcept { drawWidth_ = pixels; }
  [[nodiscard]] std::int16_t DrawWidth() const noexcept { return drawWidth_; }

  // Draws the segment between two world points into the retained image, clipped to the client
  // area; any coordinates are safe (NaN or infinite ones draw nothing). Never shows anything.
  void Line(float x1, float y1, float x2, float y2, ColorValue color) override {
    const WorldPoint end{x2, y2};
    Polyline({x1, y1}, {&end, 1}, color);
  }
  // Draws the segments from start through each end in turn, as Line draws them one by one: a
  // turtle's run of moves, handed over at once. All of it is mapped to the raster before the
  // raster draws any of it, so the raster's per-segment choice (is the end still in the pen's
  // pixel?) reads numbers that are ready instead of waiting for each one's arithmetic: when the
  // choice is mispredicted, as it is every few segments, less work is thrown away.
  void Polyline(WorldPoint start, std::span<const WorldPoint> ends, ColorValue color);
  // How many ends Polyline maps at a time; a longer run is drawn in pieces of this length.
  static constexpr std::size_t kEndsMappedAtOnce = 128;

  // Hands what changed since the last refresh to the refresh handler, at once; does nothing when
  // nothing changed or no handler is set.
  void Refresh() override;
  void SetRefreshHandler(RefreshHandler handler) { refreshHandler_ = std::move(handler); }

  // Device position of a world point, as Line maps it.
  // device = (world - left) × size / extent, with size / extent formed once per world window.
  [[nodiscard]] double DeviceX(double worldX) const noexcept {
    return (worldX - static_cast<double>(scaleLeft_)) * pixelsPerUnitX_;
  }
  [[nodiscard]] double DeviceY(double worldY) const noexcept {
    return (worldY - static_cast<double>(scaleTop_)) * pixelsPerUnitY_;
  }

  // Changes the client area's size in device pixels, keeping the picture at the top-left and
  // filling new area with BackColor. The world window keeps its values and now spans the new size.
  void Resize(int width, int height);

  [[nodiscard]] const Raster& Image() const noexcept { return raster_; }
  [[nodiscard]] Raster& Image() noexcept { return raster_; }

 private:
  // Maps the world window onto the raster, and puts the raster's pen where the last segment
  // ended under the new mapping.
  void UpdateMapping() noexcept;
  // The pixel form of the pen's colour, converted once per change of colour.
  std::uint32_t ArgbOf(ColorValue color) noexcept {
    if (color != penColor_) [[unlikely]] {
      penColor_ = color;
      penArgb_ = ToArgb32(color);
    }
    return penArgb_;
  }

  float scaleLeft_ = 0.0f;
  float scaleTop_ = 0.0f;
  float scaleWidth_;
  float scaleHeight_;
  ColorValue backColor_;
  std::int16_t drawWidth_ = 1;
  Raster raster_;
  // Device pixels per world unit, derived from the world window and the raster size.
  double pixelsPerUnitX_ = 1.0;
  double pixelsPerUnitY_ = 1.0;
  // The end of the last segment drawn, as the bits of its world coordinates; the raster's pen
  // is at that point.
  std::uint32_t penX_ = 0;
  std::uint32_t penY_ = 0;
  ColorValue penColor_ = kBlack;
  std::uint32_t penArgb_ = ToArgb32(kBlack);
  RefreshHandler refreshHandler_;
};

}  // namespace turtle
