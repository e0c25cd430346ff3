#include "app/sweeps.h"

#include "curves/angle_colours.h"
#include "curves/koch_curves.h"

namespace app {

namespace {

void DrawKoch1(turtle::Turtle& t, const SweepState& state, double angleDegrees) {
  curves::Koch1(t, state.Style1MaxAngle, kSweepDepth, angleDegrees, kSweepLength);
}
void DrawKoch2(turtle::Turtle& t, const SweepState&, double angleDegrees) {
  curves::Koch2(t, kSweepDepth, angleDegrees, kSweepLength);
}
void DrawKoch3(turtle::Turtle& t, const SweepState&, double angleDegrees) {
  curves::Koch3(t, kSweepDepth, angleDegrees, kSweepLength);
}

// The closing curve: the classic Koch curve in yellow from the origin.
void DrawClosingCurve(turtle::Turtle& t, const SweepState& state) {
  t.SetTurtle(0, 0, 0);
  t.PenColor = turtle::kYellow;
  // Koch1 at 60° is the classic curve whichever branch Style1MaxAngle selects.
  curves::Koch1(t, state.Style1MaxAngle, kSweepDepth, 60.0, kSweepLength);
}

}  // namespace

// The three buttons' sweeps side by side; these fields are all that sets them apart.
// clang-format off
const SweepPlan kDrawSweep  {.readsStyle1Max = true,  .step = -1.0, .color = curves::Color1,
                             .curve = DrawKoch1,      .closingCurve = true};
const SweepPlan kStyle2Sweep{.readsStyle1Max = false, .step = +1.0, .color = curves::Color2,
                             .curve = DrawKoch2,      .closingCurve = true};
const SweepPlan kStyle3Sweep{.readsStyle1Max = false, .step = -1.0, .color = curves::Color3,
                             .curve = DrawKoch3,      .closingCurve = false};
// clang-format on

SweepEnd RunSweep(const SweepPlan& plan, SweepHost& host) {
  SweepState& state = host.state;
  if (state.Closing) return SweepEnd::Stopped;
  if (state.RunningSweeps >= kMaxRunningSweeps) return SweepEnd::NotStarted;
  // Counted down on every way out, so the count is right again when this sweep has ended.
  struct Running {
    int& count;
    explicit Running(int& c) : count(++c) {}
    ~Running() { --count; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
  } running(state.RunningSweeps);

  host.canvas.SetWorld(kSweepWorld.x1, kSweepWorld.y1, kSweepWorld.x2, kSweepWorld.y2);
  host.canvas.SetBackColor(turtle::kBlack);
  host.canvas.Cls();
  host.canvas.SetDrawWidth(1);
  host.turtle.LineCount = 0;
  if (plan.readsStyle1Max) state.Style1MaxAngle = host.readText1();
  state.SweepMaxAngle = host.readText2();
  state.StopRequested = 0;

  // The bounds are fixed here, on this sweep's own stack: a nested sweep that re-reads the
  // boxes changes SweepMaxAngle but not this loop.
  const bool down = plan.step < 0;
  const double end = down ? 0.0 : state.SweepMaxAngle;
  for (double angle = down ? state.SweepMaxAngle : 0.0; down ? angle >= end : angle <= end;
       angle += plan.step) {
    host.pumpEvents();
    if (state.StopRequested != 0 || state.Closing) return SweepEnd::Stopped;
    host.turtle.SetTurtle(0, 0, 0);
    host.turtle.PenColor = plan.color(angle);
    plan.curve(host.turtle, state, angle);
  }
  if (plan.closingCurve) DrawClosingCurve(host.turtle, state);
  return SweepEnd::RanOut;
}

}  // namespace app
