#pragma once
// Angle sweeps: clear the canvas and draw one depth-7 curve of length 300 per whole-degree step
// of the bump angle, each in its angle's colour, with a chance for the window's events before
// every curve. A sweep is an object that starts and then draws one pass per step, so a desktop
// can pump its events between steps and a web page can step from its frame callback. Between
// two steps the stop button or a whole second sweep may run; each sweep keeps its own loop
// bounds, and only the turtle and the SweepState are shared.
// Plain C++: the window supplies the inputs (and, for RunSweep, the event pump) as callables.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "turtle/canvas.h"
#include "turtle/colour_value.h"
#include "turtle/turtle.h"

namespace sweeps {

// How many sweeps may be running at once, one inside another's event pump. Every press of a
// sweep button during a sweep starts a nested one, and each level holds the pump, the event
// dispatch, the click handler and this loop on the one thread's stack; a few thousand presses
// (a bouncing key, an automation tool) would exhaust it. 32 levels stay far inside a 1 MB main
// thread stack even in sanitizer builds, and are more than any person clicks during one sweep.
// At the bound a sweep button starts nothing and the running sweeps go on.
inline constexpr int kMaxRunningSweeps = 32;

struct SweepPlan;

// What a sweep read when it started: which sweep, and the numbers its boxes gave.
struct SweepInputs {
  const SweepPlan* plan = nullptr;  // none before the first sweep
  double style1Max = 0.0;           // Style1MaxAngle as the sweep started with it
  double sweepMax = 0.0;

  // The stem of the file names its picture is offered under: the sweep's name and the maximum
  // it read, as the shortest decimal that reads back as that number ("vornlace-style2-90",
  // "vornlace-draw-90.5"); "vornlace" before any sweep.
  [[nodiscard]] std::string FileStem() const;
};

// State shared by every sweep of one window, all zero when the window is created.
struct SweepState {
  std::int16_t StopRequested = 0;  // 0 false, -1 true; set by the stop button
  double Style1MaxAngle = 0.0;     // from the first box, read by the Draw sweep; used by Koch1
  double SweepMaxAngle = 0.0;      // from the second box, read by every sweep
  bool Closing = false;            // the window is closing: every sweep ends at its next check
  int RunningSweeps = 0;           // sweeps started and not yet ended; at most the bound
  SweepInputs LastRead;            // the sweep that last read its inputs, and what it read
};

// One button's sweep. The three sweeps differ only in these fields.
struct SweepPlan {
  std::string_view name;  // as the command line and file names spell it: "draw", "style2", ...
  int style;              // its curve and colour map: 1 for Koch1 and Color1, and so on
  bool readsStyle1Max;    // reads the first box into Style1MaxAngle before the second box
  double step;            // -1: from SweepMaxAngle down to 0; +1: from 0 up to SweepMaxAngle
  turtle::ColorValue (*color)(double angleDegrees) noexcept;
  void (*curve)(turtle::Turtle& t, const SweepState& state, double angleDegrees);
  bool closingCurve;  // after a full run, the classic curve in yellow on top
};

extern const SweepPlan kDrawSweep;    // "描画": Koch1, Color1, downward, closing curve
extern const SweepPlan kStyle2Sweep;  // "形式２": Koch2, Color2, upward, closing curve
extern const SweepPlan kStyle3Sweep;  // "形式3": Koch3, Color3, downward, no closing curve

// The three sweeps in the order of their buttons.
inline constexpr const SweepPlan* kSweepPlans[] = {&kDrawSweep, &kStyle2Sweep, &kStyle3Sweep};

// The sweep with this name, or nullptr when there is none.
[[nodiscard]] const SweepPlan* SweepNamed(std::string_view name) noexcept;

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

// What a sweep works on: the window's canvas, turtle and shared state, and the numbers in its
// two boxes (read when the sweep starts). RunSweep pumps the events through pumpEvents before
// every pass; a caller that steps a Sweep itself leaves it empty. afterCurve, when set, is
// called after every curve a sweep draws, the closing curve included.
struct SweepHost {
  turtle::Canvas& canvas;
  turtle::Turtle& turtle;
  SweepState& state;
  std::function<double()> readText1;
  std::function<double()> readText2;
  std::function<void()> pumpEvents;
  std::function<void()> afterCurve = {};
};

enum class SweepEnd { RanOut, Stopped, NotStarted };

// One sweep from its start to its end. Constructing it starts the sweep: it prepares the canvas
// (world window -10..310 × 210..-10, black, cleared, one-pixel pen), resets LineCount, reads the
// inputs and clears StopRequested. Each Step then stands for one pass of the angle loop and is
// meant to follow a chance for events: it ends the sweep (Stopped) when a stop or a close was
// asked for, and otherwise draws the pass's curve; the step that draws the last pass also draws
// the closing curve, so nothing can come between the two. A sweep whose loop has no pass at all
// draws its closing curve as it starts.
// Starting does nothing while the window is closing (the sweep is Stopped at once), or when
// kMaxRunningSweeps sweeps are running already (NotStarted, StopRequested untouched); a sweep
// that did start records what it read in the state's LastRead.
// The host is copied; what it refers to must outlive the sweep.
class Sweep {
 public:
  Sweep(const SweepPlan& plan, const SweepHost& host);
  ~Sweep();
  Sweep(const Sweep&) = delete;
  Sweep& operator=(const Sweep&) = delete;

  // Whether the sweep started and read its inputs (it may have ended as it started).
  [[nodiscard]] bool Started() const noexcept { return started_; }
  // True from a successful start until the sweep ends; only then may Step be called.
  [[nodiscard]] bool Running() const noexcept { return running_; }
  void Step();
  // How the sweep ended; meaningful once Running() is false.
  [[nodiscard]] SweepEnd End() const noexcept { return end_; }

 private:
  [[nodiscard]] bool PassesLeft() const noexcept;
  void RunOut();
  void Finish(SweepEnd end) noexcept;

  const SweepPlan& plan_;
  SweepHost host_;
  // The loop's bounds, fixed at the start: a nested sweep that re-reads the boxes changes
  // SweepMaxAngle but not this loop.
  double angle_ = 0.0;
  double last_ = 0.0;
  bool started_ = false;
  bool running_ = false;
  SweepEnd end_ = SweepEnd::NotStarted;
};

// Sweeps started one inside another, for a caller that cannot pump events inside a call (a web
// page steps from its frame callback and handles clicks between frames). A sweep started while
// others run goes on top and runs to its end first; then the one below resumes where the
// desktop's outer sweep resumes when its event pump returns: at its check for a stop.
class SweepStack {
 public:
  explicit SweepStack(const SweepHost& host) : host_(host) {}

  // A sweep button's press: starts the sweep on top of the running ones (a sweep whose loop has
  // no pass ends as it starts). False when it did not start: at the bound, or while closing.
  bool Start(const SweepPlan& plan);
  // One step of the topmost running sweep (one pass, or its end on a stop); nothing when idle.
  void Step();
  [[nodiscard]] bool Running() const noexcept { return !sweeps_.empty(); }
  [[nodiscard]] std::size_t Depth() const noexcept { return sweeps_.size(); }

 private:
  SweepHost host_;
  std::vector<std::unique_ptr<Sweep>> sweeps_;  // only running sweeps; the innermost last
};

// Runs one sweep to its end, pumping the host's events before every pass. Returns RanOut after
// a full run, Stopped when a stop or close was found at the top of a pass (nothing more is
// drawn) or the window is closing, NotStarted at the bound of running sweeps.
SweepEnd RunSweep(const SweepPlan& plan, SweepHost& host);

}  // namespace sweeps
