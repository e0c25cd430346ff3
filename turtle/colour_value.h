#pragma once
// ColorValue: the program's colour, red + 256 × green + 65536 × blue in a 32-bit integer,
// each channel 0 to 255 (red in the low byte). Packing clamps channels into range; the
// canvas stores pixels as 0xffRRGGBB. ToArgb32 and ChannelsOfPixel are the one place that knows
// both byte orders: whoever needs a colour's channels (an encoder's colour table, a browser's
// RGBA bytes) takes them from a pixel through ChannelsOfPixel.

#include <cstdint>

namespace turtle {

using ColorValue = std::int32_t;

// Packs three channels; a channel above 255 counts as 255 and one below 0 as 0.
constexpr ColorValue PackColor(int red, int green, int blue) noexcept {
  auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
  return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}

// The pixel form of a colour: opaque 0xffRRGGBB. Bits above the blue byte are ignored.
constexpr std::uint32_t ToArgb32(ColorValue c) noexcept {
  const auto v = static_cast<std::uint32_t>(c);
  return 0xff000000u | ((v & 0xffu) << 16) | (v & 0xff00u) | ((v >> 16) & 0xffu);
}

// The red, green and blue bytes of a pixel in 0xffRRGGBB form.
struct Channels {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Channels&, const Channels&) = default;
};
constexpr Channels ChannelsOfPixel(std::uint32_t argb) noexcept {
  return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
          static_cast<std::uint8_t>(argb)};
}

inline constexpr ColorValue kBlack = PackColor(0, 0, 0);
inline constexpr ColorValue kYellow = PackColor(255, 255, 0);

}  // namespace turtle
