#pragma once
// Raster: the canvas's retained image, one 0xffRRGGBB pixel per device pixel, rows top to
// bottom, and a one-pixel line drawer that clips in floating point before it touches an
// integer, so any coordinates (huge, infinite, NaN) are safe. It records the rectangle it
// changed since it was last asked, so the screen can be brought up to date cheaply.
// Device coordinates: pixel (i, j) covers [i, i + 1) × [j, j + 1), y grows downward.
// No antialiasing, no screen access; that belongs to whoever shows the pixels.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace turtle {

// A rectangle of pixels, right and bottom exclusive. Empty when right <= left or bottom <= top.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  [[nodiscard]] bool Empty() const noexcept { return right <= left || bottom <= top; }
  [[nodiscard]] int Width() const noexcept { return Empty() ? 0 : right - left; }
  [[nodiscard]] int Height() const noexcept { return Empty() ? 0 : bottom - top; }
  // The smallest rectangle holding both; an empty one adds nothing.
  [[nodiscard]] PixelRect United(const PixelRect& o) const noexcept {
    if (o.Empty()) return *this;
    if (Empty()) return o;
    return {left < o.left ? left : o.left, top < o.top ? top : o.top,
            right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom};
  }
  // The pixels in both; empty when they share none.
  [[nodiscard]] PixelRect Intersected(const PixelRect& o) const noexcept {
    return {left > o.left ? left : o.left, top > o.top ? top : o.top,
            right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
  }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A point in device coordinates. Left uninitialised by default: a run's points are written
// before they are read, and clearing a buffer of them would cost more than drawing them.
struct DevicePoint {
  double x;
  double y;
};

class Raster {
 public:
  // A raster of width × height pixels (negative sizes count as 0), all of colour fillArgb.
  Raster(int width, int height, std::uint32_t fillArgb);

  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }
  [[nodiscard]] std::uint32_t* Bits() noexcept { return pixels_.data(); }
  [[nodiscard]] const std::uint32_t* Bits() const noexcept { return pixels_.data(); }
  // The pixel at (x, y); 0 (transparent black, never a drawn colour) outside the raster.
  [[nodiscard]] std::uint32_t Pixel(int x, int y) const noexcept;

  // Sets every pixel to argb and marks the whole raster changed.
  void Fill(std::uint32_t argb) noexcept;

  // Changes the size, keeping the picture at the top-left and filling new area with fillArgb.
  // Marks the whole raster changed. Allocates; never called while drawing.
  void Resize(int width, int height, std::uint32_t fillArgb);

  // Draws the segment from (x0, y0) to (x1, y1), device coordinates, both end points included,
  // as a line one pixel across per step along its longer axis; every pixel lit contains a
  // point of the segment. penWidth > 1 stamps a penWidth-square around each of those pixels.
  // A zero-length segment lights the pixel under it. Only the part inside the raster is drawn;
  // a segment with a NaN or infinite coordinate draws nothing. Allocates nothing.
  void DrawLine(double x0, double y0, double x1, double y1, std::uint32_t argb,
                int penWidth = 1) noexcept {
    Pen from = PenAt(x0, y0);
    DrawFrom(from, x1, y1, argb, penWidth);
  }

  // The same for runs of segments, each starting where the one before ended: the raster keeps
  // that point, the pen, and sorts it only once. MoveTo puts the pen down; PolylineTo draws from
  // it through each point in turn, as DrawLine would, and leaves it at the last. Resizing keeps
  // the pen where it is.
  void MoveTo(double x, double y) noexcept;
  void PolylineTo(std::span<const DevicePoint> points, std::uint32_t argb,
                  int penWidth = 1) noexcept;

  // The rectangle changed since the last call, and forgets it.
  PixelRect TakeDirty() noexcept;
  [[nodiscard]] PixelRect Dirty() const noexcept;

 private:
  // A segment's start: its coordinates and, when it lies on the raster, its pixel (i, j) at
  // cell = j × width + i, with the pixel's square [left, right) × [top, bottom) in doubles.
  // Off the raster (NaN and infinities included) the square is empty and cell is -1.
  struct Pen {
    double x = 0.0;
    double y = 0.0;
    double left = 0.0;
    double right = 0.0;
    double top = 0.0;
    double bottom = 0.0;
    std::ptrdiff_t cell = -1;
    int i = -1;
    int j = -1;
  };
  [[nodiscard]] Pen PenAt(double x, double y) const noexcept;

  // Draws from the pen to (x, y) and moves the pen there.
  void DrawFrom(Pen& pen, double x, double y, std::uint32_t argb, int penWidth) noexcept {
    // Most segments of a sweep are shorter than a pixel: both ends inside, in one pixel. One
    // test does: an end in the pen's square is on the raster, and in the pen's pixel.
    if (x >= pen.left && x < pen.right && y >= pen.top && y < pen.bottom && penWidth <= 1) {
      pixels_[static_cast<std::size_t>(pen.cell)] = argb;
      pen.x = x;
      pen.y = y;
      // Runs of segments fall in the same pixel; it is in the changed box already.
      if (pen.cell != lastCell_) MarkPixel(pen);
      return;
    }
    DrawOnward(pen, x, y, argb, penWidth);
  }
  // Adds the pen's pixel to the changed box.
  void MarkPixel(const Pen& pen) noexcept;
  // The rest: the general line drawer, and the pen sorted afresh at the end.
  void DrawOnward(Pen& pen, double x, double y, std::uint32_t argb, int penWidth) noexcept;

  // The general path: clips the segment to the raster, then steps along its longer axis.
  void DrawClippedLine(double x0, double y0, double x1, double y1, std::uint32_t argb,
                       int penWidth) noexcept;
  // The pixel columns i0..i1 and rows j0..j1 a segment on the raster spans.
  struct Span {
    int i0, i1, j0, j1;
  };
  // Steps along the longer axis of a segment wholly on the raster (a clipped one, or one whose
  // ends lie inside), one pixel, or one pen square unless kThin, per step, and marks its span
  // changed.
  template <bool kThin>
  void DrawSpan(double x0, double y0, double x1, double y1, Span span, std::uint32_t argb,
                int penWidth) noexcept;
  // The square of a pen wider than one pixel, around pixel (x, y), clipped to the raster.
  void Stamp(int x, int y, std::uint32_t argb, int penWidth) noexcept;
  // Grows the changed box; left/top inclusive, right/bottom exclusive, already on the raster.
  void MarkDirty(int left, int top, int right, int bottom) noexcept {
    dirtyLeft_ = left < dirtyLeft_ ? left : dirtyLeft_;
    dirtyTop_ = top < dirtyTop_ ? top : dirtyTop_;
    dirtyRight_ = right > dirtyRight_ ? right : dirtyRight_;
    dirtyBottom_ = bottom > dirtyBottom_ ? bottom : dirtyBottom_;
  }
  void ClearDirty() noexcept;

  int width_ = 0;
  int height_ = 0;
  double widthF_ = 0.0;  // the size again as doubles, for the per-segment comparisons
  double heightF_ = 0.0;
  std::vector<std::uint32_t> pixels_;  // width_ * height_, row-major
  // The changed box; empty (left > right) when nothing changed, so growing it needs no test.
  int dirtyLeft_ = 0;
  int dirtyTop_ = 0;
  int dirtyRight_ = 0;
  int dirtyBottom_ = 0;
  // A cell the changed box holds since it was last cleared (the last one a segment ended in),
  // or -1.
  std::ptrdiff_t lastCell_ = -1;
  Pen pen_;
};

}  // namespace turtle
