#include "form/form.h"

#include <stdexcept>
#include <string>

namespace form {

namespace {

using sweeps::kCanvasHeight;
using sweeps::kCanvasWidth;

// The window as it was drawn in twips, at 15 twips a pixel. The canvas's rectangle holds the
// sweeps' canvas inside its border. The stop button stands below the style-3 button although it
// comes before it in tab order; each label reaches one pixel into its box, bottoms level.
// clang-format off
constexpr Control kControls[] = {
  {"Picture1", Kind::Canvas,  {16, 8, kCanvasWidth + 2 * kCanvasBorder,
                                      kCanvasHeight + 2 * kCanvasBorder}, "描画領域"},
  {"Command1", Kind::Button,  {640, 8, 73, 25},    "描画",        Press::Sweep, &sweeps::kDrawSweep},
  {"Text1",    Kind::TextBox, {680, 40, 41, 25},   "60"},
  {"Label1",   Kind::Label,   {608, 48, 73, 17},   "形式1最大値", Press::Nothing, nullptr, "Text1"},
  {"Text2",    Kind::TextBox, {680, 72, 41, 25},   "90"},
  {"Label2",   Kind::Label,   {608, 80, 73, 17},   "表示最大値",  Press::Nothing, nullptr, "Text2"},
  {"Command2", Kind::Button,  {632, 120, 81, 25},  "形式２",      Press::Sweep, &sweeps::kStyle2Sweep},
  {"Command3", Kind::Button,  {632, 184, 81, 25},  "描画中止",    Press::Stop},
  {"Command4", Kind::Button,  {632, 152, 81, 25},  "形式3",       Press::Sweep, &sweeps::kStyle3Sweep},
};
// clang-format on

[[noreturn]] void NoSuch(std::string_view what) {
  throw std::out_of_range("form: no " + std::string(what));
}

}  // namespace

std::span<const Control> Controls() noexcept { return kControls; }

std::size_t IndexOf(const Control& control) noexcept {
  return static_cast<std::size_t>(&control - kControls);
}

const Control& ControlNamed(std::string_view name) {
  for (const Control& c : kControls) {
    if (c.name == name) return c;
  }
  NoSuch(name);
}

const Control& ButtonFor(const sweeps::SweepPlan& plan) {
  for (const Control& c : kControls) {
    if (c.press == Press::Sweep && c.sweep == &plan) return c;
  }
  NoSuch("button for the sweep " + std::string(plan.name));
}

const Control& Style1MaxBox() { return ControlNamed("Text1"); }
const Control& SweepMaxBox() { return ControlNamed("Text2"); }

}  // namespace form
