#pragma once
// Form1 as data: the program's one window described once for every front end. The client
// area's size, and for each control its name, kind, rectangle, caption or starting text, its
// place in the tab order and what a button does. The desktop window builds its widgets from this
// table, the web page's markup and stylesheet are generated from it, and the tests read it.
// Rectangles are logical pixels (15 twips each) in the client area, borders included.
// Plain C++: no widgets, no drawing, no behaviour beyond naming the sweep a button runs.

#include <cstddef>
#include <span>
#include <string_view>

#include "sweeps/sweeps.h"

namespace form {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Kind { Canvas, Button, TextBox, Label };

// What pressing a button does: run a sweep, or ask the running sweeps to stop.
enum class Press { Nothing, Sweep, Stop };

struct Control {
  std::string_view name;  // "Picture1", "Command1", ...: object names, element ids
  Kind kind;
  Rect rect;
  // A button's or label's caption, a text box's starting text, the canvas's name for screen
  // readers. UTF-8.
  std::string_view text;
  Press press = Press::Nothing;
  const sweeps::SweepPlan* sweep = nullptr;  // the sweep a Press::Sweep button runs
  std::string_view buddy = {};               // the text box a label names

  // Whether the control takes the keyboard focus: all but the labels.
  [[nodiscard]] constexpr bool TakesFocus() const noexcept { return kind != Kind::Label; }
};

// The window's caption and its client area, which stays this size however the window is
// resized: nothing moves or stretches.
inline constexpr std::string_view kCaption = "Form1";
inline constexpr int kClientWidth = 799;
inline constexpr int kClientHeight = 460;

// The canvas's thin sunken border, on each side; the area inside it is the sweeps' canvas.
inline constexpr int kCanvasBorder = 2;

// The captions' size in pixels: the rectangles are sized for it, whatever the desktop's own
// font size is.
inline constexpr int kCaptionPixels = 12;

// Every control, in tab order.
[[nodiscard]] std::span<const Control> Controls() noexcept;

// Where a control of the table stands in it (its place in the tab order).
[[nodiscard]] std::size_t IndexOf(const Control& control) noexcept;

// The control of that name; throws std::out_of_range when there is none.
[[nodiscard]] const Control& ControlNamed(std::string_view name);

// The button that runs this sweep; throws std::out_of_range when no button does.
[[nodiscard]] const Control& ButtonFor(const sweeps::SweepPlan& plan);

// The two boxes, as the sweeps read them: the style-1 maximum and the display maximum.
[[nodiscard]] const Control& Style1MaxBox();
[[nodiscard]] const Control& SweepMaxBox();

}  // namespace form
