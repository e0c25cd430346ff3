#include "naive_design.h"

#include <QColor>
#include <QLineF>
#include <cmath>

namespace bench {

namespace {

constexpr double kPi = 3.14159265358979;
constexpr std::int16_t kDepth = 7;
constexpr double kLength = 300.0;

std::int16_t Less(std::int16_t p) { return static_cast<std::int16_t>(p - 1); }

void Koch1(NaiveTurtle& t, const double& maxAngle, std::int16_t p, double q, double r) {
  if (p <= 0) {
    t.Forward(r);
    return;
  }
  const double a = r / 3;
  const double c = std::cos(q * kPi / 180.0);
  if (q <= maxAngle) {
    const double side = a / (c + c);
    Koch1(t, maxAngle, Less(p), q, a);
    t.Turn(q);
    Koch1(t, maxAngle, Less(p), q, side);
    t.Turn(-q);
    t.Turn(-q);
    Koch1(t, maxAngle, Less(p), q, side);
    t.Turn(q);
    Koch1(t, maxAngle, Less(p), q, a);
  } else {
    const double top = (1 - (c + c)) * a;
    Koch1(t, maxAngle, Less(p), q, a);
    t.Turn(q);
    Koch1(t, maxAngle, Less(p), q, a);
    t.Turn(-q);
    if (top > 0) Koch1(t, maxAngle, Less(p), q, top);
    t.Turn(-q);
    Koch1(t, maxAngle, Less(p), q, a);
    t.Turn(q);
    Koch1(t, maxAngle, Less(p), q, a);
  }
}

void Koch2(NaiveTurtle& t, std::int16_t p, double q, double r) {
  if (p <= 0) {
    t.Forward(r);
    return;
  }
  const double a = r / 3;
  const double c = std::cos(q * kPi / 180.0);
  const double top = (1 - (c + c)) * a;
  Koch2(t, Less(p), q, a);
  t.Turn(q);
  Koch2(t, Less(p), q, a);
  t.Turn(-q);
  Koch2(t, Less(p), q, top);
  t.Turn(-q);
  Koch2(t, Less(p), q, a);
  t.Turn(q);
  Koch2(t, Less(p), q, a);
}

void Koch3(NaiveTurtle& t, std::int16_t p, double q, double r) {
  if (p <= 0) {
    t.Forward(r);
    return;
  }
  const double a = r / 3;
  const double c = std::cos(q * kPi / 180.0);
  double side = a;
  double top = (1 - (c + c)) * a;
  if (top < 0) {
    side = a / (c + c);
    top = 0.0;
  }
  Koch3(t, Less(p), q, a);
  t.Turn(q);
  Koch3(t, Less(p), q, side);
  t.Turn(-q);
  Koch3(t, Less(p), q, top);
  t.Turn(-q);
  Koch3(t, Less(p), q, side);
  t.Turn(q);
  Koch3(t, Less(p), q, a);
}

}  // namespace

NaiveCanvas::NaiveCanvas(int width, int height) : image_(width, height, QImage::Format_RGB32) {
  image_.fill(Qt::black);
}

void NaiveCanvas::SetWorld(double x1, double y1, double x2, double y2) noexcept {
  scaleLeft_ = static_cast<float>(x1);
  scaleTop_ = static_cast<float>(y1);
  scaleWidth_ = static_cast<float>(x2 - x1);
  scaleHeight_ = static_cast<float>(y2 - y1);
}

void NaiveCanvas::ClsAndBegin() {
  End();
  image_.fill(Qt::black);
  painter_.begin(&image_);
}

void NaiveCanvas::End() {
  if (painter_.isActive()) painter_.end();
}

void NaiveCanvas::Line(float x1, float y1, float x2, float y2, turtle::ColorValue color) {
  const double w = image_.width();
  const double h = image_.height();
  const double dx1 = (x1 - scaleLeft_) * w / scaleWidth_;
  const double dy1 = (y1 - scaleTop_) * h / scaleHeight_;
  const double dx2 = (x2 - scaleLeft_) * w / scaleWidth_;
  const double dy2 = (y2 - scaleTop_) * h / scaleHeight_;
  const turtle::Channels c = turtle::ChannelsOfPixel(turtle::ToArgb32(color));
  painter_.setPen(QColor(c.red, c.green, c.blue));
  painter_.drawLine(QLineF(dx1, dy1, dx2, dy2));
}

void NaiveTurtle::Forward(double distance) {
  const double radians = Heading * kPi / 180.0;
  const double nx = std::cos(radians) * distance + PosX;
  const double ny = std::sin(radians) * distance + PosY;
  const auto x1 = static_cast<float>(PosX);
  const auto y1 = static_cast<float>(PosY);
  const auto x2 = static_cast<float>(nx);
  const auto y2 = static_cast<float>(ny);
  if (digest != nullptr) digest->Add(x1, y1, x2, y2, PenColor);
  canvas_->Line(x1, y1, x2, y2, PenColor);
  PosX = nx;
  PosY = ny;
  ++Segments;
  LineCount = static_cast<std::int16_t>(LineCount + 1);
  if (LineCount > 100) {
    LineCount = 0;
    canvas_->Refresh();
  }
}

void RunNaiveSweep(const SweepCase& sweep, NaiveCanvas& canvas, NaiveTurtle& turtle,
                   double& style1Max, const std::function<void()>& pumpEvents) {
  canvas.SetWorld(-10, 210, 310, -10);  // its own copy of the sweeps' world window, on purpose
  canvas.ClsAndBegin();
  turtle.LineCount = 0;
  if (sweep.plan->readsStyle1Max) style1Max = sweep.text1;
  const double maxAngle = sweep.text2;
  const double step = sweep.plan->step;
  const bool down = step < 0;
  for (double angle = down ? maxAngle : 0.0; down ? angle >= 0.0 : angle <= maxAngle;
       angle += step) {
    pumpEvents();
    turtle.SetTurtle(0, 0, 0);
    turtle.PenColor = sweep.plan->color(angle);
    switch (CurveRuleOf(*sweep.plan)) {
      case 1:
        Koch1(turtle, style1Max, kDepth, angle, kLength);
        break;
      case 2:
        Koch2(turtle, kDepth, angle, kLength);
        break;
      case 3:
        Koch3(turtle, kDepth, angle, kLength);
        break;
    }
  }
  if (sweep.plan->closingCurve) {
    turtle.SetTurtle(0, 0, 0);
    turtle.PenColor = turtle::kYellow;
    Koch1(turtle, style1Max, kDepth, 60.0, kLength);
  }
  canvas.End();
}

}  // namespace bench
