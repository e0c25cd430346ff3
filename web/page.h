#pragma once
// The web page's window behind its controls: the canvas, turtle, sweep state and the stack of
// running sweeps, the two boxes' text as the page's script last handed it over, and the
// canvas's changed pixels copied into the RGBA bytes an HTML canvas takes (ImageData).
// Sizes are device pixels. It neither times nor shows anything: when to step and when to
// present is the script's choice (web_main.cpp exports this to it).

#include <cstdint>
#include <string>
#include <vector>

#include "sweeps/sweeps.h"
#include "turtle/canvas.h"
#include "turtle/colour_value.h"
#include "turtle/turtle.h"

namespace web {

// The largest raster the page keeps: the renders' largest scale, each way. A browser zoomed
// further shows this raster stretched rather than running out of memory.
inline constexpr int kMaxRasterWidth = sweeps::kCanvasWidth * 16;
inline constexpr int kMaxRasterHeight = sweeps::kCanvasHeight * 16;

class Page {
 public:
  // A canvas of width × height device pixels (clamped as Resize does) filled with background.
  Page(int width, int height, turtle::ColorValue background);
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // The text of box 1 (Text1) or 2 (Text2), for the script to fill in before a sweep starts;
  // any other number names box 2.
  std::u16string& Text(int box) noexcept { return box == 1 ? text1_ : text2_; }

  // A sweep button's press: starts that sweep on top of any running ones. False when nothing
  // started (at the nesting bound); a sweep with no pass draws its closing curve and counts
  // as started.
  bool Start(const sweeps::SweepPlan& plan);
  // The stop button's press, and whether one is pending: then every running sweep ends at its
  // next step without drawing.
  void Stop() noexcept { state_.StopRequested = -1; }
  [[nodiscard]] bool Stopping() const noexcept { return state_.StopRequested != 0; }
  // One step of the innermost running sweep: one curve, or its end on a stop. Nothing when idle.
  void Step() { stack_.Step(); }
  [[nodiscard]] int RunningSweeps() const noexcept { return static_cast<int>(stack_.Depth()); }

  // Resizes the raster to the canvas's device pixels, keeping the picture at the top-left; sizes
  // below 1 or above the kMaxRaster bounds are clamped. Everything counts as changed.
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
  turtle::Canvas canvas_;
  turtle::Turtle turtle_;
  sweeps::SweepState state_;
  std::u16string text1_ = u"60";
  std::u16string text2_ = u"90";
  turtle::PixelRect refreshed_;     // handed over by the canvas's refresh points, not yet taken
  std::vector<std::uint8_t> rgba_;  // the raster's pixels as of the last TakeChanged
  sweeps::SweepStack stack_;        // last: its sweeps refer to everything above
};

}  // namespace web
