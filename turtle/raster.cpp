#include "turtle/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace turtle {

namespace {

int ClampInt(int v, int lo, int hi) noexcept { return v < lo ? lo : (v > hi ? hi : v); }

// Truncation toward zero, used where floor() is meant: the value lies in [0, size] after
// clipping, or a hair below 0 through rounding where the result is clamped to the raster anyway,
// so truncating gives the floor and needs no libm call.
int TruncateToInt(double v) noexcept { return static_cast<int>(v); }

// Liang-Barsky clipping of the segment against [0, w] × [0, h]. Works in doubles on finite
// input, so nothing here can overflow an integer. Returns false when nothing is left.
// An end point cut at an edge is put exactly on that edge: with far-off end points the
// interpolated coordinate along the cut axis would lose all its precision (1e30 - 1e30).
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double w, double h) noexcept {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0, w - x0, y0, h - y0};
  const double edge[4] = {0.0, w, 0.0, h};
  double t0 = 0.0;
  double t1 = 1.0;
  int edge0 = -1;  // the edge that cut each end, or -1
  int edge1 = -1;
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0) {
      if (t > t0) t0 = t, edge0 = k;
    } else {
      if (t < t1) t1 = t, edge1 = k;
    }
  }
  if (!(t0 <= t1)) return false;
  const double sx = x0;
  const double sy = y0;
  const auto cut = [&](double t, int k, double& x, double& y) {
    if (k < 0) return;
    x = k < 2 ? edge[k] : sx + t * dx;
    y = k >= 2 ? edge[k] : sy + t * dy;
  };
  cut(t1, edge1, x1, y1);
  cut(t0, edge0, x0, y0);
  // Rounding can still leave a cut coordinate a hair outside; keep every point on the raster.
  x0 = std::clamp(x0, 0.0, w);
  x1 = std::clamp(x1, 0.0, w);
  y0 = std::clamp(y0, 0.0, h);
  y1 = std::clamp(y1, 0.0, h);
  return true;
}

}  // namespace

Raster::Raster(int width, int height, std::uint32_t fillArgb) { Resize(width, height, fillArgb); }

std::uint32_t Raster::Pixel(int x, int y) const noexcept {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Raster::ClearDirty() noexcept {
  dirtyLeft_ = dirtyTop_ = std::numeric_limits<int>::max();
  dirtyRight_ = dirtyBottom_ = std::numeric_limits<int>::min();
  lastCell_ = -1;
}

PixelRect Raster::Dirty() const noexcept {
  if (dirtyLeft_ >= dirtyRight_ || dirtyTop_ >= dirtyBottom_) return {};
  return {dirtyLeft_, dirtyTop_, dirtyRight_, dirtyBottom_};
}

void Raster::Fill(std::uint32_t argb) noexcept {
  std::fill(pixels_.begin(), pixels_.end(), argb);
  if (!pixels_.empty()) MarkDirty(0, 0, width_, height_);
}

void Raster::Resize(int width, int height, std::uint32_t fillArgb) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<std::uint32_t> resized(static_cast<std::size_t>(width) * height, fillArgb);
  const int keepW = std::min(width, width_);
  const int keepH = std::min(height, height_);
  for (int y = 0; y < keepH; ++y) {
    std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_, keepW,
                resized.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  pixels_ = std::move(resized);
  width_ = width;
  height_ = height;
  widthF_ = width;
  heightF_ = height;
  ClearDirty();
  if (!pixels_.empty()) MarkDirty(0, 0, width_, height_);
  pen_ = PenAt(pen_.x, pen_.y);
}

void Raster::MoveTo(double x, double y) noexcept { pen_ = PenAt(x, y); }

void Raster::PolylineTo(std::span<const DevicePoint> points, std::uint32_t argb,
                        int penWidth) noexcept {
  // The pen's width decided once for the run rather than at every segment.
  if (penWidth > 1) {
    for (const DevicePoint& to : points) DrawOnward(pen_, to.x, to.y, argb, penWidth);
    return;
  }
  for (const DevicePoint& to : points) DrawFrom(pen_, to.x, to.y, argb, 1);
}

void Raster::MarkPixel(const Pen& pen) noexcept {
  lastCell_ = pen.cell;
  MarkDirty(pen.i, pen.j, pen.i + 1, pen.j + 1);
}

void Raster::DrawOnward(Pen& pen, double x, double y, std::uint32_t argb, int penWidth) noexcept {
  const Pen from = pen;
  pen = PenAt(x, y);
  if (from.cell >= 0 && pen.cell >= 0 && penWidth <= 1) {
    // Both ends on the raster, so nothing to clip, and their pixels are known already.
    DrawSpan<true>(from.x, from.y, x, y,
                   {std::min(from.i, pen.i), std::max(from.i, pen.i), std::min(from.j, pen.j),
                    std::max(from.j, pen.j)},
                   argb, 1);
    // The span's changed box holds the end's pixel, so the segments that follow within it need
    // not grow the box again: without this, the first of them takes MarkPixel's branch after
    // every step into a new pixel, and that branch is as hard to predict as the step itself.
    lastCell_ = pen.cell;
  } else {
    DrawClippedLine(from.x, from.y, x, y, argb, penWidth);
  }
}

Raster::Pen Raster::PenAt(double x, double y) const noexcept {
  Pen pen;
  pen.x = x;
  pen.y = y;
  // The comparisons also turn away NaN, so only finite, non-negative values are truncated.
  if (x >= 0.0 && x < widthF_ && y >= 0.0 && y < heightF_) {
    pen.i = static_cast<int>(x);
    pen.j = static_cast<int>(y);
    pen.cell = static_cast<std::ptrdiff_t>(pen.j) * width_ + pen.i;
    pen.left = pen.i;
    pen.right = pen.i + 1.0;
    pen.top = pen.j;
    pen.bottom = pen.j + 1.0;
  }
  return pen;
}

PixelRect Raster::TakeDirty() noexcept {
  const PixelRect taken = Dirty();
  ClearDirty();
  return taken;
}

void Raster::Stamp(int x, int y, std::uint32_t argb, int penWidth) noexcept {
  const int lo = (penWidth - 1) / 2;
  const int left = std::max(x - lo, 0);
  const int top = std::max(y - lo, 0);
  const int right = std::min(x - lo + penWidth, width_);
  const int bottom = std::min(y - lo + penWidth, height_);
  for (int row = top; row < bottom; ++row) {
    std::fill_n(pixels_.begin() + static_cast<std::ptrdiff_t>(row) * width_ + left, right - left,
                argb);
  }
}

void Raster::DrawClippedLine(double x0, double y0, double x1, double y1, std::uint32_t argb,
                             int penWidth) noexcept {
  if (width_ <= 0 || height_ <= 0) return;
  const double w = widthF_;
  const double h = heightF_;
  // A segment inside needs no clipping (and is finite); the rest are clipped if finite.
  const bool inside =
      x0 >= 0.0 && x0 < w && x1 >= 0.0 && x1 < w && y0 >= 0.0 && y0 < h && y1 >= 0.0 && y1 < h;
  if (!inside) {
    if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))) return;
    if (!ClipSegment(x0, y0, x1, y1, w, h)) return;
  }

  // From here every coordinate lies in [0, w] × [0, h]. A point exactly on the right or bottom
  // edge belongs to the last pixel, hence the clamps.
  const int maxX = width_ - 1;
  const int maxY = height_ - 1;
  const Span span{ClampInt(TruncateToInt(std::min(x0, x1)), 0, maxX),
                  ClampInt(TruncateToInt(std::max(x0, x1)), 0, maxX),
                  ClampInt(TruncateToInt(std::min(y0, y1)), 0, maxY),
                  ClampInt(TruncateToInt(std::max(y0, y1)), 0, maxY)};
  // Few segments need clipping: a pen one pixel wide takes the general stamp here, which
  // leaves the thin drawer to segments on the raster alone.
  DrawSpan<false>(x0, y0, x1, y1, span, argb, std::max(penWidth, 1));
}

template <bool kThin>
void Raster::DrawSpan(double x0, double y0, double x1, double y1, Span span, std::uint32_t argb,
                      int penWidth) noexcept {
  const auto [i0, i1, j0, j1] = span;
  const auto Plot = [&](int i, int j) {
    if constexpr (kThin) {
      pixels_[static_cast<std::size_t>(j) * width_ + i] = argb;
    } else {
      Stamp(i, j, argb, penWidth);
    }
  };
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  if (std::fabs(dx) >= std::fabs(dy)) {
    // One pixel per column, at the segment's height in the middle of that column (or at the
    // end point where the segment stops inside the column); within one row, that row.
    if (j0 == j1) {
      for (int i = i0; i <= i1; ++i) Plot(i, j0);
    } else {
      const double slope = dy / dx;
      const double minX = std::min(x0, x1), maxX = std::max(x0, x1);
      for (int i = i0; i <= i1; ++i) {
        const double xs = std::clamp(i + 0.5, minX, maxX);
        Plot(i, ClampInt(TruncateToInt(y0 + (xs - x0) * slope), j0, j1));
      }
    }
  } else if (i0 == i1) {
    for (int j = j0; j <= j1; ++j) Plot(i0, j);
  } else {
    const double slope = dx / dy;
    const double minY = std::min(y0, y1), maxY = std::max(y0, y1);
    for (int j = j0; j <= j1; ++j) {
      const double ys = std::clamp(j + 0.5, minY, maxY);
      Plot(ClampInt(TruncateToInt(x0 + (ys - y0) * slope), i0, i1), j);
    }
  }

  if constexpr (kThin) {
    MarkDirty(i0, j0, i1 + 1, j1 + 1);
  } else {
    const int grow = (penWidth - 1) / 2;
    MarkDirty(std::max(i0 - grow, 0), std::max(j0 - grow, 0),
              std::min(i1 - grow + penWidth, width_), std::min(j1 - grow + penWidth, height_));
  }
}

}  // namespace turtle
