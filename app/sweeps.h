#pragma once
// Angle sweeps: clear the canvas and draw one depth-7 curve of length 300 per whole-degree step
// of the bump angle, each in its angle's colour, pumping the window's events before every
// curve. A pump may run the stop button or a whole second sweep; each sweep keeps its own
// loop bounds on its own stack, and only the turtle and the SweepState are shared.
// Plain C++: the window supplies the inputs and the event pump as callables.

#include <cstdint>
#include <functional>

#include "turtle/canvas.h"
#include "turtle/colour_value.h"
#include "turtle/turtle.h"

namespace app {

// How many sweeps may be running at once, one inside another's event pump. Every press of a
// sweep button during a sweep starts a nested one, and each level holds the pump, the event
// dispatch, the click handler and this loop on the one thread's stack; a few thousand presses
// (a bouncing key, an automation tool) would exhaust it. 32 levels stay far inside a 1 MB main
// thread stack even in sanitizer builds, and are more than any person clicks during one sweep.
// At the bound a sweep button starts nothing and the running sweeps go on.
inline constexpr int kMaxRunningSweeps = 32;

// State shared by every sweep of one window, all zero when the window is created.
struct SweepState {
  std::int16_t StopRequested = 0;  // 0 false, -1 true; set by the stop button
  double Style1MaxAngle = 0.0;     // from the first box, read by the Draw sweep; used by Koch1
  double SweepMaxAngle = 0.0;      // from the second box, read by every sweep
  bool Closing = false;            // the window is closing: every sweep ends at its next check
  int RunningSweeps = 0;           // sweeps on the stack, nested ones included; at most the bound
};

// One button's sweep. The three sweeps differ only in these fields.
struct SweepPlan {
  bool readsStyle1Max;  // reads the first box into Style1MaxAngle before the second box
  double step;          // -1: from SweepMaxAngle down to 0; +1: from 0 up to SweepMaxAngle
  turtle::ColorValue (*color)(double angleDegrees) noexcept;
  void (*curve)(turtle::Turtle& t, const SweepState& state, double angleDegrees);
  bool closingCurve;  // after a full run, the classic curve in yellow on top
};

extern const SweepPlan kDrawSweep;    // "描画": Koch1, Color1, downward, closing curve
extern const SweepPlan kStyle2Sweep;  // "形式２": Koch2, Color2, upward, closing curve
extern const SweepPlan kStyle3Sweep;  // "形式3": Koch3, Color3, downward, no closing curve

inline constexpr std::int16_t kSweepDepth = 7;
inline constexpr double kSweepLength = 300.0;

// The canvas the sweeps are drawn on: the window's picture box inside its border, in logical
// pixels. A screen with device pixel ratio N (or a render at scale N) has N times as many
// device pixels each way, under the same world window.
inline constexpr int kCanvasWidth = 573;
inline constexpr int kCanvasHeight = 413;

// The world window every sweep sets, as its top-left and bottom-right corners: x from -10 at
// the left edge to 310 at the right, y from 210 at the top down to -10 at the bottom.
struct WorldCorners {
  double x1, y1, x2, y2;
};
inline constexpr WorldCorners kSweepWorld{-10, 210, 310, -10};

// What a sweep works on: the window's canvas, turtle and shared state, the numbers in its two
// boxes (read when the sweep starts) and its event pump.
struct SweepHost {
  turtle::Canvas& canvas;
  turtle::Turtle& turtle;
  SweepState& state;
  std::function<double()> readText1;
  std::function<double()> readText2;
  std::function<void()> pumpEvents;
};

enum class SweepEnd { RanOut, Stopped, NotStarted };

// Runs one sweep to its end: prepares the canvas (world window -10..310 × 210..-10, black,
// cleared, one-pixel pen), resets LineCount, reads the inputs, clears StopRequested, then draws
// curve after curve. Returns Stopped when a stop or close was found at the top of a pass, in
// which case nothing more is drawn. Does nothing and returns Stopped if the window is closing,
// or NotStarted when kMaxRunningSweeps sweeps are running already.
SweepEnd RunSweep(const SweepPlan& plan, SweepHost& host);

}  // namespace app
