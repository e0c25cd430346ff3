#include "turtle/device_pixels.h"

#include <cmath>

namespace turtle {

namespace {

int Floor(double device) { return static_cast<int>(std::floor(device)); }
int Ceil(double device) { return static_cast<int>(std::ceil(device)); }

}  // namespace

PixelRect DeviceCover(const PixelRect& logical, double ratio) noexcept {
  return {Floor(logical.left * ratio), Floor(logical.top * ratio), Ceil(logical.right * ratio),
          Ceil(logical.bottom * ratio)};
}

PixelRect LogicalCover(const PixelRect& raster, int originX, int originY, double ratio) noexcept {
  // Qt clips the repaint to its own rounding of the logical rectangle in device pixels and
  // flushes that rounding: position and size each to the nearest pixel, which the bare floor
  // and ceiling already survive. The margin of one device pixel's worth of logical pixels on
  // every side keeps the raster rectangle covered even where a rounding comes out a whole
  // device pixel short at an edge (DevicePixelsTest.RepaintOfOneEdgePixelReachesTheScreen).
  const int grow = Ceil(1.0 / ratio);
  return {Floor((originX + raster.left) / ratio) - grow,
          Floor((originY + raster.top) / ratio) - grow,
          Ceil((originX + raster.right) / ratio) + grow,
          Ceil((originY + raster.bottom) / ratio) + grow};
}

RasterCopy ExposedRaster(const PixelRect& exposed, int clientX, int clientY,
                         const DeviceMapping& toDevice, int rasterWidth,
                         int rasterHeight) noexcept {
  // Mapped the way a painter's transform maps a rectangle, the top-left and then the scaled size
  // added, which can differ in the last bit from mapping the far edge on its own.
  const double left = toDevice.scaleX * exposed.left + toDevice.offsetX;
  const double top = toDevice.scaleY * exposed.top + toDevice.offsetY;
  const double right = left + toDevice.scaleX * (exposed.right - exposed.left);
  const double bottom = top + toDevice.scaleY * (exposed.bottom - exposed.top);
  RasterCopy copy;
  copy.deviceX = Floor(toDevice.scaleX * clientX + toDevice.offsetX);
  copy.deviceY = Floor(toDevice.scaleY * clientY + toDevice.offsetY);
  copy.source = PixelRect{Floor(left) - copy.deviceX, Floor(top) - copy.deviceY,
                          Ceil(right) - copy.deviceX, Ceil(bottom) - copy.deviceY}
                    .Intersected({0, 0, rasterWidth, rasterHeight});
  return copy;
}

}  // namespace turtle
