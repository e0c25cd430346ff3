#include "app/x11_pusher.h"

#include <QGuiApplication>
#include <QWidget>
#include <algorithm>

#if VORNLACE_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace app {

#if VORNLACE_HAVE_XCB

namespace {

xcb_connection_t* Connection(void* c) { return static_cast<xcb_connection_t*>(c); }

// True when a Z-pixmap of this depth holds 32-bit little-endian pixels, like the raster's.
bool MatchesRaster(xcb_connection_t* c, std::uint8_t depth) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
  if (depth != 24 && depth != 32) return false;
  for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
    if (it.data->depth == depth) return it.data->bits_per_pixel == 32;
  }
  return false;
}

}  // namespace

std::unique_ptr<X11Pusher> X11Pusher::Create(QWidget* topLevel) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return nullptr;
  xcb_connection_t* c = x11->connection();
  const auto window = static_cast<xcb_window_t>(topLevel->winId());

  // One round trip, once per window, to learn its depth.
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window),
                                                              nullptr);
  if (geometry == nullptr) return nullptr;
  const std::uint8_t depth = geometry->depth;
  std::free(geometry);
  if (!MatchesRaster(c, depth)) return nullptr;

  std::unique_ptr<X11Pusher> pusher(new X11Pusher);
  pusher->connection_ = c;
  pusher->window_ = window;
  pusher->depth_ = depth;
  // Requests are limited in size (in 4-byte units); large rectangles go in bands of rows.
  pusher->maxRequestBytes_ = static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4;
  pusher->gc_ = xcb_generate_id(c);
  const std::uint32_t noExposures = 0;
  xcb_create_gc(c, pusher->gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  return pusher;
}

X11Pusher::~X11Pusher() {
  if (connection_ != nullptr) xcb_free_gc(Connection(connection_), gc_);
}

void X11Pusher::Push(const turtle::Raster& raster, const turtle::PixelRect& rect,
                     QPoint windowDevicePos) {
  const int width = rect.Width();
  if (width <= 0 || rect.Height() <= 0) return;
  xcb_connection_t* c = Connection(connection_);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  const std::size_t headerBytes = 24;
  const int bandRows = static_cast<int>(
      std::max<std::size_t>(1, (maxRequestBytes_ - headerBytes) / rowBytes));
  for (int top = rect.top; top < rect.bottom; top += bandRows) {
    const int rows = std::min(bandRows, rect.bottom - top);
    const std::size_t pixels = static_cast<std::size_t>(width) * rows;
    if (scratch_.size() < pixels) scratch_.resize(pixels);
    for (int y = 0; y < rows; ++y) {
      const std::uint32_t* src =
          raster.Bits() + static_cast<std::size_t>(top + y) * raster.Width() + rect.left;
      std::copy_n(src, width, scratch_.data() + static_cast<std::size_t>(y) * width);
    }
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_drawable_t>(window_), gc_,
                  static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(rows),
                  static_cast<std::int16_t>(windowDevicePos.x()),
                  static_cast<std::int16_t>(windowDevicePos.y() + (top - rect.top)), 0, depth_,
                  static_cast<std::uint32_t>(pixels * 4),
                  reinterpret_cast<const std::uint8_t*>(scratch_.data()));
  }
  xcb_flush(c);
}

#else

std::unique_ptr<X11Pusher> X11Pusher::Create(QWidget*) { return nullptr; }
X11Pusher::~X11Pusher() = default;
void X11Pusher::Push(const turtle::Raster&, const turtle::PixelRect&, QPoint) {}

#endif

}  // namespace app
