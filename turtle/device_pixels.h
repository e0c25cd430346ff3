#pragma once
// Device pixels: the rounding between a window's logical pixels and the device pixels of a
// raster shown one to one, at any device pixel ratio, whole or fractional. Rectangles are
// PixelRects counted from the window's top-left unless a name says otherwise. Plain arithmetic:
// nothing here knows a widget or paints, and what Qt rounds itself stays Qt's.

#include "turtle/raster.h"

namespace turtle {

// The device pixels a logical rectangle touches at `ratio` device pixels per logical pixel,
// partly touched edge pixels included: the raster a client area needs, placed on the window's
// device pixels.
[[nodiscard]] PixelRect DeviceCover(const PixelRect& logical, double ratio) noexcept;

// The logical rectangle whose repaint puts every pixel of a raster rectangle on the screen,
// the raster's top-left lying at window device pixel (originX, originY). It reaches one device
// pixel's worth of logical pixels past the raster rectangle on every side, and is not clipped
// to anything.
[[nodiscard]] PixelRect LogicalCover(const PixelRect& raster, int originX, int originY,
                                     double ratio) noexcept;

// How a painter maps logical to device pixels when it only scales and translates, as it does
// for a widget: device = scale × logical + offset, on each axis.
struct DeviceMapping {
  double scaleX = 1.0;
  double scaleY = 1.0;
  double offsetX = 0.0;
  double offsetY = 0.0;
};

// What a paint copies one to one: the device pixel where the raster's top-left lands, and the
// raster pixels to copy (empty when there are none).
struct RasterCopy {
  int deviceX = 0;
  int deviceY = 0;
  PixelRect source;
};

// The copy that paints the logical rectangle `exposed` of a client area whose top-left is the
// logical point (clientX, clientY), both in the painter's logical coordinates, from a raster of
// rasterWidth × rasterHeight pixels: every raster pixel the exposed area touches, clipped to
// the raster.
[[nodiscard]] RasterCopy ExposedRaster(const PixelRect& exposed, int clientX, int clientY,
                                       const DeviceMapping& toDevice, int rasterWidth,
                                       int rasterHeight) noexcept;

}  // namespace turtle
