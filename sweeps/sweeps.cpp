#include "sweeps/sweeps.h"

#include "curves/angle_colours.h"
#include "curves/koch_curves.h"
#include "sweeps/decimal_text.h"

namespace sweeps {

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
const SweepPlan kDrawSweep  {.name = "draw",   .style = 1, .readsStyle1Max = true,  .step = -1.0,
                             .color = curves::Color1, .curve = DrawKoch1, .closingCurve = true};
const SweepPlan kStyle2Sweep{.name = "style2", .style = 2, .readsStyle1Max = false, .step = +1.0,
                             .color = curves::Color2, .curve = DrawKoch2, .closingCurve = true};
const SweepPlan kStyle3Sweep{.name = "style3", .style = 3, .readsStyle1Max = false, .step = -1.0,
                             .color = curves::Color3, .curve = DrawKoch3, .closingCurve = false};
// clang-format on

const SweepPlan* SweepNamed(std::string_view name) noexcept {
  for (const SweepPlan* plan : kSweepPlans) {
    if (plan->name == name) return plan;
  }
  return nullptr;
}

std::string SweepInputs::FileStem() const {
  if (plan == nullptr) return "vornlace";
  return "vornlace-" + std::string(plan->name) + "-" + ShortestDecimal(sweepMax);
}

Sweep::Sweep(const SweepPlan& plan, const SweepHost& host) : plan_(plan), host_(host) {
  SweepState& state = host_.state;
  if (state.Closing) {
    end_ = SweepEnd::Stopped;
    return;
  }
  if (state.RunningSweeps >= kMaxRunningSweeps) return;  // NotStarted
  ++state.RunningSweeps;
  running_ = true;

  host_.canvas.SetWorld(kSweepWorld.x1, kSweepWorld.y1, kSweepWorld.x2, kSweepWorld.y2);
  host_.canvas.SetBackColor(turtle::kBlack);
  host_.canvas.Cls();
  host_.canvas.SetDrawWidth(1);
  host_.turtle.LineCount = 0;
  if (plan_.readsStyle1Max) state.Style1MaxAngle = host_.readText1();
  state.SweepMaxAngle = host_.readText2();
  state.StopRequested = 0;
  state.LastRead = {&plan_, state.Style1MaxAngle, state.SweepMaxAngle};
  started_ = true;

  const bool down = plan_.step < 0;
  angle_ = down ? state.SweepMaxAngle : 0.0;
  last_ = down ? 0.0 : state.SweepMaxAngle;
  if (!PassesLeft()) RunOut();
}

Sweep::~Sweep() {
  if (running_) Finish(SweepEnd::Stopped);
}

bool Sweep::PassesLeft() const noexcept {
  return plan_.step < 0 ? angle_ >= last_ : angle_ <= last_;
}

void Sweep::Step() {
  if (!running_) return;
  SweepState& state = host_.state;
  if (state.StopRequested != 0 || state.Closing) {
    Finish(SweepEnd::Stopped);
    return;
  }
  host_.turtle.SetTurtle(0, 0, 0);
  host_.turtle.PenColor = plan_.color(angle_);
  plan_.curve(host_.turtle, state, angle_);
  if (host_.afterCurve) host_.afterCurve();
  angle_ += plan_.step;
  // The loop ran out: the closing curve follows in this same step, with no events between.
  if (!PassesLeft()) RunOut();
}

void Sweep::RunOut() {
  if (plan_.closingCurve) {
    DrawClosingCurve(host_.turtle, host_.state);
    if (host_.afterCurve) host_.afterCurve();
  }
  Finish(SweepEnd::RanOut);
}

void Sweep::Finish(SweepEnd end) noexcept {
  running_ = false;
  end_ = end;
  --host_.state.RunningSweeps;
}

bool SweepStack::Start(const SweepPlan& plan) {
  auto sweep = std::make_unique<Sweep>(plan, host_);
  if (sweep->Running()) {
    sweeps_.push_back(std::move(sweep));
    return true;
  }
  return sweep->End() == SweepEnd::RanOut;
}

void SweepStack::Step() {
  if (sweeps_.empty()) return;
  sweeps_.back()->Step();
  if (!sweeps_.back()->Running()) sweeps_.pop_back();
}

SweepEnd RunSweep(const SweepPlan& plan, SweepHost& host) {
  Sweep sweep(plan, host);
  while (sweep.Running()) {
    host.pumpEvents();
    sweep.Step();
  }
  return sweep.End();
}

}  // namespace sweeps
