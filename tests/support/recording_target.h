#pragma once
// A LineTarget that records what the turtle hands it: every segment (or only a count and the
// last one, for long curves) and the number of refreshes.

#include <cstdint>
#include <vector>

#include "turtle/colour_value.h"
#include "turtle/line_target.h"

namespace testing_support {

struct Segment {
  float x1, y1, x2, y2;
  turtle::ColorValue color;
};

class RecordingTarget final : public turtle::LineTarget {
 public:
  explicit RecordingTarget(bool keepAll = true) : keepAll_(keepAll) {}

  void Line(float x1, float y1, float x2, float y2, turtle::ColorValue color) override {
    last = {x1, y1, x2, y2, color};
    ++lines;
    if (x1 == x2 && y1 == y2) ++zeroLength;
    if (keepAll_) segments.push_back(last);
  }
  void Refresh() override {
    ++refreshes;
    refreshedAfter.push_back(lines);
  }

  std::vector<Segment> segments;
  std::vector<std::int64_t> refreshedAfter;  // the line count at each refresh
  Segment last{};
  std::int64_t lines = 0;
  std::int64_t zeroLength = 0;
  std::int64_t refreshes = 0;

 private:
  bool keepAll_;
};

// Forwards to another target while counting, so sweeps can run on a real canvas and still be
// counted.
class CountingTarget final : public turtle::LineTarget {
 public:
  explicit CountingTarget(turtle::LineTarget& inner) : inner_(inner) {}
  void Line(float x1, float y1, float x2, float y2, turtle::ColorValue color) override {
    ++lines;
    inner_.Line(x1, y1, x2, y2, color);
  }
  void Refresh() override {
    ++refreshes;
    inner_.Refresh();
  }
  std::int64_t lines = 0;
  std::int64_t refreshes = 0;

 private:
  turtle::LineTarget& inner_;
};

}  // namespace testing_support
