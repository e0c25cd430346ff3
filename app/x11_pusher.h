#pragma once
// X11Pusher: on X11, sends changed canvas pixels straight to the window with one PutImage
// request each, over Qt's own connection, without waiting for the server. A sweep refreshes
// 70,000 times; Qt's repaint path costs several times more per refresh (region bookkeeping,
// a paint event, a copy into the backing store, then the same PutImage). Used only when the
// window's pixel format is the raster's own (32-bit pixels, little-endian, depth 24 or 32);
// elsewhere Create returns nothing and the widget repaints through Qt.

#include <QPoint>
#include <cstdint>
#include <memory>
#include <vector>

#include "turtle/raster.h"

class QWidget;

namespace app {

class X11Pusher {
 public:
  // A pusher for the native window of `topLevel`, or nullptr where the fast path does not apply.
  static std::unique_ptr<X11Pusher> Create(QWidget* topLevel);
  ~X11Pusher();
  X11Pusher(const X11Pusher&) = delete;
  X11Pusher& operator=(const X11Pusher&) = delete;

  // The X window this pusher draws into.
  [[nodiscard]] std::uintptr_t Window() const noexcept { return window_; }

  // Sends `rect` of `raster` to the window, its top-left pixel landing at `windowDevicePos`
  // (device pixels within the window). Returns at once; the request is flushed, not awaited.
  void Push(const turtle::Raster& raster, const turtle::PixelRect& rect, QPoint windowDevicePos);

 private:
  X11Pusher() = default;

  void* connection_ = nullptr;  // xcb_connection_t*, owned by Qt
  std::uintptr_t window_ = 0;
  std::uint32_t gc_ = 0;
  std::uint8_t depth_ = 0;
  std::size_t maxRequestBytes_ = 0;
  std::vector<std::uint32_t> scratch_;  // the rectangle's rows packed together
};

}  // namespace app
