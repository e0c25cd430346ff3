#pragma once
// A deliberately independent copy, the reference the program is checked and timed against: it
// keeps its own pi, world window and curve rules, and shares none of the program's drawing code.
//
// The naive design the program is measured against: a turtle that works out cos and sin of
// its heading for every segment, a canvas that maps each end point through the world window
// and hands every segment to QPainter::drawLine on a QImage, and straightforward recursive
// copies of the three curve rules. It draws the same segment stream as the program; only the
// way it gets each segment onto pixels differs.

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <functional>

#include "sweep_cases.h"
#include "tests/support/stream_digest.h"
#include "turtle/colour_value.h"

namespace bench {

class NaiveCanvas {
 public:
  NaiveCanvas(int width, int height);

  [[nodiscard]] const QImage& Image() const noexcept { return image_; }

  void SetWorld(double x1, double y1, double x2, double y2) noexcept;
  // Fills the image with black and opens the painter that every Line then draws through.
  void ClsAndBegin();
  void End();

  void Line(float x1, float y1, float x2, float y2, turtle::ColorValue color);
  void Refresh() {
    if (onRefresh) onRefresh();
  }

  std::function<void()> onRefresh;  // the naive window repaints itself here

 private:
  QImage image_;
  QPainter painter_;
  float scaleLeft_ = 0.0f;
  float scaleTop_ = 0.0f;
  float scaleWidth_ = 1.0f;
  float scaleHeight_ = 1.0f;
};

class NaiveTurtle {
 public:
  explicit NaiveTurtle(NaiveCanvas& canvas) noexcept : canvas_(&canvas) {}

  double PosX = 0.0;
  double PosY = 0.0;
  double Heading = 0.0;
  turtle::ColorValue PenColor = 0;
  std::int16_t LineCount = 0;
  std::uint64_t Segments = 0;                       // every segment drawn, for the stream check
  testing_support::StreamDigest* digest = nullptr;  // set only for the untimed checking run

  void SetTurtle(double x, double y, double heading) noexcept {
    PosX = x;
    PosY = y;
    Heading = heading;
  }
  void Turn(double angleDegrees) noexcept { Heading = Heading + angleDegrees; }
  void Forward(double distance);

 private:
  NaiveCanvas* canvas_;
};

// One sweep of the naive design, shaped like the program's: world window, clear, the angle
// loop with an event pump before every curve, then the closing curve if the sweep has one.
// style1Max is the window-wide value the Draw sweep reads from its first box.
void RunNaiveSweep(const SweepCase& sweep, NaiveCanvas& canvas, NaiveTurtle& turtle,
                   double& style1Max, const std::function<void()>& pumpEvents);

}  // namespace bench
