#pragma once
// The sweeps the benchmark runs: which of the program's sweep plans, and what the window's two
// boxes hold; and which curve rule the bench's own designs draw for a plan.

#include <bit>
#include <cstdint>

#include "sweeps/sweeps.h"

namespace bench {

struct SweepCase {
  const char* name;
  const sweeps::SweepPlan* plan;
  double text1;  // the first box (read by the Draw sweep only)
  double text2;  // the second box: the largest bump angle
};

// The curve rule of a plan, 1 to 3, which the bench's own copies of the rules switch on (a
// plan's curve is the program's function, which they must not share).
inline int CurveRuleOf(const sweeps::SweepPlan& plan) noexcept { return plan.style; }

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
