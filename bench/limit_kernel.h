#pragma once
// A reference, not the program: the floor the program's drawing-only time is measured against.
//
// The limit kernel: the cheapest way this bench knows to produce the program's segment stream.
// The turtle's exact arithmetic (the same doubles, the same order of operations), cos and sin
// looked up from a small table per curve indexed by the number of turns, the recursion fully
// known at compile time, no virtual calls, and one pixel written per segment at its end point.
// It is a floor for the drawing-only sweep, not a drawing: it does not draw lines.

#include <cstdint>
#include <vector>

#include "sweep_cases.h"
#include "tests/support/stream_digest.h"

namespace bench {

struct LimitResult {
  std::uint64_t segments = 0;
  std::uint64_t curves = 0;
  EndPoint end;
};

// A raster of the canvas's size, drawn into by the limit kernel.
class LimitSurface {
 public:
  LimitSurface(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

  // One sweep. With a digest, records every segment the kernel computes (slower; untimed).
  LimitResult Run(const SweepCase& sweep, double& style1Max,
                  testing_support::StreamDigest* digest = nullptr);

  [[nodiscard]] std::uint32_t Checksum() const noexcept;

 private:
  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace bench
