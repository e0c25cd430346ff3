#include "turtle/single_precision.h"

namespace turtle {

float ToSingleBeyondRange(double v) noexcept {
  // Doubles from FLT_MAX up to FLT_MAX + half an ulp still round down to FLT_MAX.
  constexpr double kOverflow = static_cast<double>(std::numeric_limits<float>::max()) + 0x1p103;
  if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
  if (std::fabs(v) < kOverflow) {
    return v < 0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
  }
  return v < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
}

}  // namespace turtle
