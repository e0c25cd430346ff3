#include "screen_limit.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if VORNLACE_BENCH_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace bench {

#if VORNLACE_BENCH_HAVE_XCB

namespace {

void Sync(xcb_connection_t* connection) {
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

class XcbScreenLimit final : public ScreenLimit {
 public:
  XcbScreenLimit(xcb_connection_t* connection, xcb_window_t window, xcb_gcontext_t gc,
                 std::uint8_t depth)
      : connection_(connection), window_(window), gc_(gc), depth_(depth) {
    // The longest request the server takes, in bytes, less room for the request's header.
    const std::uint64_t words = xcb_get_maximum_request_length(connection_);
    maxPayload_ = static_cast<std::size_t>(words * 4 - 64);
  }

  ~XcbScreenLimit() override {
    xcb_free_gc(connection_, gc_);
    xcb_destroy_window(connection_, window_);
    xcb_flush(connection_);
    xcb_disconnect(connection_);
  }

  void Show() override {
    xcb_map_window(connection_, window_);
    Sync(connection_);
  }

  void Hide() override {
    xcb_unmap_window(connection_, window_);
    Sync(connection_);
  }

  double Replay(const std::vector<turtle::PixelRect>& rects,
                const turtle::Raster& raster) override {
    buffer_.resize(static_cast<std::size_t>(raster.Width()) * raster.Height());
    const auto start = std::chrono::steady_clock::now();
    for (const turtle::PixelRect& r : rects) {
      const int w = r.Width();
      const int h = r.Height();
      if (w == 0 || h == 0) continue;
      const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
      const int rowsPerRequest = static_cast<int>(std::max<std::size_t>(1, maxPayload_ / rowBytes));
      for (int y = r.top; y < r.bottom; y += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, r.bottom - y);
        // The rectangle's rows side by side, as PutImage wants them.
        for (int row = 0; row < rows; ++row) {
          std::memcpy(buffer_.data() + static_cast<std::size_t>(row) * w,
                      raster.Bits() + static_cast<std::size_t>(y + row) * raster.Width() + r.left,
                      rowBytes);
        }
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                      static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(rows),
                      static_cast<std::int16_t>(r.left), static_cast<std::int16_t>(y), 0, depth_,
                      static_cast<std::uint32_t>(rowBytes * rows),
                      reinterpret_cast<const std::uint8_t*>(buffer_.data()));
      }
      xcb_flush(connection_);
    }
    Sync(connection_);
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(stop - start).count();
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t window_;
  xcb_gcontext_t gc_;
  std::uint8_t depth_;
  std::size_t maxPayload_ = 0;
  std::vector<std::uint32_t> buffer_;
};

}  // namespace

std::unique_ptr<ScreenLimit> ScreenLimit::Open(int width, int height, std::string* why) {
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    *why = "cannot connect to the X server named by DISPLAY";
    return nullptr;
  }
  const xcb_setup_t* setup = xcb_get_setup(connection);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
  if (it.rem == 0) {
    xcb_disconnect(connection);
    *why = "the X server has no such screen";
    return nullptr;
  }
  const xcb_screen_t* screen = it.data;
  // 0xffRRGGBB pixels go out as they are: the root depth must store 32 bits per pixel.
  bool thirtyTwoBits = false;
  for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0;
       xcb_format_next(&f)) {
    if (f.data->depth == screen->root_depth && f.data->bits_per_pixel == 32) thirtyTwoBits = true;
  }
  if (!thirtyTwoBits || screen->root_depth != 24) {
    xcb_disconnect(connection);
    *why = "the X screen is not 24-bit colour stored in 32 bits per pixel";
    return nullptr;
  }
  const xcb_window_t window = xcb_generate_id(connection);
  const std::uint32_t values[] = {screen->black_pixel};
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                    static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
  const xcb_gcontext_t gc = xcb_generate_id(connection);
  xcb_create_gc(connection, gc, window, 0, nullptr);
  Sync(connection);
  return std::make_unique<XcbScreenLimit>(connection, window, gc, screen->root_depth);
}

void SyncXcb(void* connection) {
  if (connection != nullptr) Sync(static_cast<xcb_connection_t*>(connection));
}

#else

std::unique_ptr<ScreenLimit> ScreenLimit::Open(int, int, std::string* why) {
  *why = "the bench was built without libxcb";
  return nullptr;
}

void SyncXcb(void*) {}

#endif

}  // namespace bench
