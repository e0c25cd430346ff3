#pragma once
// LineTarget: what the turtle draws through, one segment in world units at a time, and how it
// asks for the screen to be brought up to date. The canvas is the real one; tests and the
// benchmark put recorders and taps in its place. Says nothing about pixels or screens.

#include "turtle/colour_value.h"

namespace turtle {

class LineTarget {
 public:
  // One segment between two world points, handed over in single precision.
  virtual void Line(float x1, float y1, float x2, float y2, ColorValue color) = 0;
  // Shows what was drawn since the last refresh.
  virtual void Refresh() = 0;

 protected:
  ~LineTarget() = default;
};

}  // namespace turtle
