#pragma once
// StreamDigest: what a design handed its line drawer, boiled down so that two streams can be
// compared bit for bit: how many segments, a hash of every segment's four single-precision
// coordinates and colour in order, and the last segment itself. The benchmark compares its
// designs with it and the curve tests pin each style's stream with it. DigestingTarget takes
// the digest of what a turtle draws, passing each segment on to another target if given one.

#include <bit>
#include <cstdint>

#include "turtle/colour_value.h"
#include "turtle/line_target.h"

namespace testing_support {

struct StreamDigest {
  std::uint64_t segments = 0;
  std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a, fed 32-bit words
  std::uint32_t last[4] = {0, 0, 0, 0};        // x1, y1, x2, y2 of the last segment, as bits

  void Add(float x1, float y1, float x2, float y2, turtle::ColorValue color) noexcept {
    last[0] = std::bit_cast<std::uint32_t>(x1);
    last[1] = std::bit_cast<std::uint32_t>(y1);
    last[2] = std::bit_cast<std::uint32_t>(x2);
    last[3] = std::bit_cast<std::uint32_t>(y2);
    for (const std::uint32_t word : last) Mix(word);
    Mix(static_cast<std::uint32_t>(color));
    ++segments;
  }

  friend bool operator==(const StreamDigest&, const StreamDigest&) = default;

 private:
  void Mix(std::uint32_t word) noexcept {
    hash ^= word;
    hash *= 0x100000001b3ull;
  }
};

class DigestingTarget final : public turtle::LineTarget {
 public:
  explicit DigestingTarget(turtle::LineTarget* next = nullptr) noexcept : next_(next) {}
  void Line(float x1, float y1, float x2, float y2, turtle::ColorValue color) override {
    digest.Add(x1, y1, x2, y2, color);
    if (next_ != nullptr) next_->Line(x1, y1, x2, y2, color);
  }
  void Refresh() override {
    if (next_ != nullptr) next_->Refresh();
  }

  StreamDigest digest;

 private:
  turtle::LineTarget* next_;
};

}  // namespace testing_support
