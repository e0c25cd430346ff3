#pragma once
// The sweeps the benchmark runs: which of the program's sweep plans, which curve rule the
// bench's own designs use for it, and what the window's two boxes hold.

#include <bit>
#include <cstdint>

#include "sweeps/sweeps.h"

namespace bench {

struct SweepCase {
  const char* name;
  const sweeps::SweepPlan* plan;
  int style;     // the curve rule: 1, 2 or 3
  double text1;  // the first box (read by the Draw sweep only)
  double text2;  // the second box: the largest bump angle
};

// Where a sweep left its turtle, kept bit for bit.
struct EndPoint {
  std::uint64_t x = 0;
  std::uint64_t y = 0;
  static EndPoint Of(double px, double py) noexcept {
    return {std::bit_cast<std::uint64_t>(px), std::bit_cast<std::uint64_t>(py)};
  }
  friend bool operator==(const EndPoint&, const EndPoint&) = default;
};

}  // namespace bench
