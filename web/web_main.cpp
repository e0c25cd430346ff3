// The page's script talks to the core through these plain C functions (exported by name with
// a leading underscore): one Page, created by vl_init, whose sweeps the script starts from its
// click handlers, steps from its frame callback and whose changed pixels it puts on the canvas.
// Text crosses as UTF-16 code units written into a buffer the core hands out; pixels cross as
// the RGBA image the core keeps; nothing here allocates per frame.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <memory>
#include <string>

#include "sweeps/render.h"
#include "web/page.h"

namespace {

std::unique_ptr<web::Page> page;
int changedRect[4];       // left, top, right, bottom of the last vl_take_changed
std::string offeredName;  // kept alive for the script to read

}  // namespace

extern "C" {

// Creates the page's window with a canvas of width × height device pixels filled with
// background (red + 256 × green + 65536 × blue). Any earlier one is dropped.
EMSCRIPTEN_KEEPALIVE void vl_init(int width, int height, int background) {
  page.reset();
  page = std::make_unique<web::Page>(width, height, background);
}

// Makes room for `length` UTF-16 code units as the text of box 1 or 2 and returns where the
// script writes them; the text is read when a sweep starts.
EMSCRIPTEN_KEEPALIVE char16_t* vl_text(int box, int length) {
  std::u16string& text = page->Text(box);
  text.assign(length > 0 ? static_cast<std::size_t>(length) : 0, u'\0');
  return text.data();
}

// A sweep button: 0 is Command1 (Draw), 1 Command2 (style 2), 2 Command4 (style 3). Returns 1
// when it started (or, having no pass, drew at once), 0 at the nesting bound.
EMSCRIPTEN_KEEPALIVE int vl_start(int sweep) {
  if (sweep < 0 || sweep > 2) return 0;
  return page->Start(*sweeps::kSweepPlans[sweep]) ? 1 : 0;
}

// The stop button, and whether a stop is pending (the running sweeps end without drawing).
EMSCRIPTEN_KEEPALIVE void vl_stop() { page->Stop(); }
EMSCRIPTEN_KEEPALIVE int vl_stopping() { return page->Stopping() ? 1 : 0; }

// One step of the innermost sweep; returns how many sweeps still run afterwards.
EMSCRIPTEN_KEEPALIVE int vl_step() {
  page->Step();
  return page->RunningSweeps();
}

EMSCRIPTEN_KEEPALIVE int vl_running() { return page->RunningSweeps(); }

// The canvas's new size in device pixels; returns 1 when the raster took exactly that size.
EMSCRIPTEN_KEEPALIVE int vl_resize(int width, int height) {
  page->Resize(width, height);
  return page->Width() == width && page->Height() == height ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int vl_width() { return page->Width(); }
EMSCRIPTEN_KEEPALIVE int vl_height() { return page->Height(); }

// The rectangle changed since the last call, as four ints (left, top, right, bottom; right <=
// left when nothing changed), its pixels brought up to date in the image at vl_rgba().
EMSCRIPTEN_KEEPALIVE const int* vl_take_changed() {
  const turtle::PixelRect r = page->TakeChanged();
  changedRect[0] = r.left;
  changedRect[1] = r.top;
  changedRect[2] = r.right;
  changedRect[3] = r.bottom;
  return changedRect;
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* vl_rgba() { return page->Rgba(); }

// The file name a saved picture is offered under, as a NUL-terminated ASCII string.
EMSCRIPTEN_KEEPALIVE const char* vl_suggested_name() {
  offeredName = page->SuggestedName();
  return offeredName.c_str();
}

// Draws one curve of each style on a throwaway canvas, so the browser has compiled the drawing
// code fully before the first sweep (the first curves otherwise run several times slower).
EMSCRIPTEN_KEEPALIVE void vl_warm_up() {
  for (const sweeps::SweepPlan* plan : sweeps::kSweepPlans) {
    (void)sweeps::Render({.plan = plan, .style1Max = 0, .sweepMax = 0, .scale = 1});
  }
}

}  // extern "C"
