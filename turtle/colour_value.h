#pragma once
// ColorValue: the program's colour, red + 256 × green + 65536 × blue in a 32-bit integer,
// each channel 0 to 255 (red in the low byte). Packing clamps channels into range; the
// canvas stores pixels as 0xffRRGGBB, so ToArgb32 is the one place that swaps the bytes.

#include <cstdint>

namespace turtle {

using ColorValue = std::int32_t;

// Packs three channels; a channel above 255 counts as 255 and one below 0 as 0.
constexpr ColorValue PackColor(int red, int green, int blue) noexcept {
  auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
  return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}

constexpr int RedOf(ColorValue c) noexcept { return c & 0xff; }
constexpr int GreenOf(ColorValue c) noexcept { return (c >> 8) & 0xff; }
constexpr int BlueOf(ColorValue c) noexcept { return (c >> 16) & 0xff; }

// The pixel form of a colour: opaque 0xffRRGGBB. Bits above the blue byte are ignored.
constexpr std::uint32_t ToArgb32(ColorValue c) noexcept {
  const auto v = static_cast<std::uint32_t>(c);
  return 0xff000000u | ((v & 0xffu) << 16) | (v & 0xff00u) | ((v >> 16) & 0xffu);
}

// The inverse of ToArgb32, for reading pixels back.
constexpr ColorValue FromArgb32(std::uint32_t argb) noexcept {
  return PackColor(static_cast<int>((argb >> 16) & 0xffu), static_cast<int>((argb >> 8) & 0xffu),
                   static_cast<int>(argb & 0xffu));
}

inline constexpr ColorValue kBlack = PackColor(0, 0, 0);
inline constexpr ColorValue kYellow = PackColor(255, 255, 0);

}  // namespace turtle
