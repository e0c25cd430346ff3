// The page's script talks to the core through these plain C functions (exported by name with
// a leading underscore): one Page, created by vl_init, whose controls the script binds by the
// names the core gives it, whose sweeps it steps one curve per task and whose changed pixels it
// puts on the canvas. Controls are numbered as in the form's table. Text crosses as UTF-16
// code units written into a buffer the core hands out; pixels cross as the RGBA image the core
// keeps; nothing here allocates per curve or per frame.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <memory>
#include <string>

#include "form/form.h"
#include "sweeps/render.h"
#include "web/page.h"

namespace {

std::unique_ptr<web::Page> page;
int changedRect[4];     // left, top, right, bottom of the last vl_take_changed
std::string shownText;  // kept alive for the script to read

const char* Shown(std::string_view text) {
  shownText.assign(text);
  return shownText.c_str();
}

}  // namespace

extern "C" {

// Creates the page's window with a canvas of width × height device pixels filled with the
// background's channels (0 to 255 each). Any earlier one is dropped.
EMSCRIPTEN_KEEPALIVE void vl_init(int width, int height, int red, int green, int blue) {
  page.reset();
  page = std::make_unique<web::Page>(width, height, turtle::PackColor(red, green, blue));
}

// The form's controls: how many, and each one's name (its element's id) as a NUL-terminated
// UTF-8 string, valid until the next call that returns text.
EMSCRIPTEN_KEEPALIVE int vl_controls() { return static_cast<int>(form::Controls().size()); }
EMSCRIPTEN_KEEPALIVE const char* vl_control_name(int control) {
  const auto controls = form::Controls();
  if (control < 0 || static_cast<std::size_t>(control) >= controls.size()) return Shown("");
  return Shown(controls[static_cast<std::size_t>(control)].name);
}

// Makes room for `length` UTF-16 code units as the text of a text box and returns where the
// script writes them (the text is read when a sweep starts), or 0 for a control that is no box.
EMSCRIPTEN_KEEPALIVE char16_t* vl_text(int control, int length) {
  std::u16string* text = control < 0 ? nullptr : page->Text(static_cast<std::size_t>(control));
  if (text == nullptr) return nullptr;
  text->assign(length > 0 ? static_cast<std::size_t>(length) : 0, u'\0');
  return text->data();
}

// A press of a control; returns 1 when a sweep started (or, having no pass, drew at once).
EMSCRIPTEN_KEEPALIVE int vl_press(int control) {
  return control >= 0 && page->Press(static_cast<std::size_t>(control)) ? 1 : 0;
}

// Whether a stop is pending (the running sweeps end without drawing).
EMSCRIPTEN_KEEPALIVE int vl_stopping() { return page->Stopping() ? 1 : 0; }

// One step of the innermost sweep; returns how many sweeps still run afterwards.
EMSCRIPTEN_KEEPALIVE int vl_step() {
  page->Step();
  return page->RunningSweeps();
}

EMSCRIPTEN_KEEPALIVE int vl_running() { return page->RunningSweeps(); }

// Curves drawn so far; a double, since a sweep to a huge maximum may draw billions.
EMSCRIPTEN_KEEPALIVE double vl_curves_drawn() { return static_cast<double>(page->CurvesDrawn()); }

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
EMSCRIPTEN_KEEPALIVE const char* vl_suggested_name() { return Shown(page->SuggestedName()); }

// Draws one curve of each style on a throwaway canvas, so the browser has compiled the drawing
// code fully before the first sweep (the first curves otherwise run several times slower).
EMSCRIPTEN_KEEPALIVE void vl_warm_up() {
  for (const sweeps::SweepPlan* plan : sweeps::kSweepPlans) {
    (void)sweeps::Render({.plan = plan, .style1Max = 0, .sweepMax = 0, .scale = 1});
  }
}

}  // extern "C"
