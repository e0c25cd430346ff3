#pragma once
// The web page's window behind its controls: the canvas, turtle, sweep state and the stack of
// running sweeps, the text boxes' text as the page's script last handed it over, what a press
// of each control does, and the canvas's changed pixels copied into the RGBA bytes an HTML
// canvas takes (ImageData). Controls are numbered as in the form's table; sizes are device
// pixels. It neither times nor shows anything: when to step and when to present is the
// script's choice (web_main.cpp exports this to it).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sweeps/render.h"
#include "sweeps/sweeps.h"
#include "turtle/canvas.h"
#include "turtle/colour_value.h"
#include "turtle/turtle.h"

namespace web {

// The largest raster the page keeps: the largest render's. A browser zoomed further shows this
// raster stretched rather than running out of memory.
inline constexpr sweeps::PixelSize kMaxRaster = sweeps::RenderSize(sweeps::kMaxRenderScale);

class Page {
 public:
  // A canvas of width × height device pixels (clamped as Resize does) filled with background;
  // the text boxes hold the form's starting texts.
  Page(int width, int height, turtle::ColorValue background);
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // The text of the control numbered `control` when it is a text box, for the script to fill in
  // before a press; nullptr for any other number.
  [[nodiscard]] std::u16string* Text(std::size_t control) noexcept;

  // A press of the control numbered `control`: a sweep button starts its sweep on top of any
  // running ones (Start), the stop button asks them to stop; anything else does nothing. True
  // when a sweep started.
  bool Press(std::size_t control);
  // Starts the sweep on top of any running ones. False when nothing started (at the nesting
  // bound); a sweep with no pass draws its closing curve and counts as started.
  bool Start(const sweeps::SweepPlan& plan);
  // Whether a stop is pending: then every running sweep ends at its next step without drawing.
  [[nodiscard]] bool Stopping() const noexcept { return state_.StopRequested != 0; }
  // One step of the innermost running sweep: one curve, or its end on a stop. Nothing when idle.
  void Step() { stack_.Step(); }
  [[nodiscard]] int RunningSweeps() const noexcept { return static_cast<int>(stack_.Depth()); }
  // Curves drawn since the page was made, closing curves included.
  [[nodiscard]] std::uint64_t CurvesDrawn() const noexcept { return curvesDrawn_; }

  // Resizes the raster to the canvas's device pixels, keeping the picture at the top-left; sizes
  // below 1 or above kMaxRaster are clamped. Everything counts as changed.
  void Resize(int width, int height);
  [[nodiscard]] int Width() const noexcept { return canvas_.Image().Width(); }
  [[nodiscard]] int Height() const noexcept { return canvas_.Image().Height(); }

  // The rectangle changed since the last call (empty when nothing did); its pixels are then
  // current in Rgba(), a Width() × Height() image of R, G, B, A bytes, row by row.
  turtle::PixelRect TakeChanged();
  [[nodiscard]] const std::uint8_t* Rgba() const noexcept { return rgba_.data(); }

  // The name a saved picture is offered under, from the last sweep that started.
  [[nodiscard]] std::string SuggestedName() const;

 private:
  [[nodiscard]] double NumberIn(std::size_t control) const;

  turtle::Canvas canvas_;
  turtle::Turtle turtle_;
  sweeps::SweepState state_;
  std::vector<std::u16string> texts_;  // one per control of the form; only the boxes' are read
  std::uint64_t curvesDrawn_ = 0;
  turtle::PixelRect refreshed_;     // handed over by the canvas's refresh points, not yet taken
  std::vector<std::uint8_t> rgba_;  // the raster's pixels as of the last TakeChanged
  sweeps::SweepStack stack_;        // last: its sweeps refer to everything above
};

}  // namespace web
