#pragma once
// Helpers for looking at a raster in tests: the painted bounding box, a pixel count, a hash of
// the whole image, and a PPM dump for checking a failure by eye.

#include <cstdint>
#include <cstdio>
#include <string>

#include "turtle/raster.h"

namespace testing_support {

// The smallest rectangle holding every pixel that differs from `background`; empty if none.
inline turtle::PixelRect PaintedBounds(const turtle::Raster& r, std::uint32_t background) {
  turtle::PixelRect box{r.Width(), r.Height(), 0, 0};
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      if (r.Pixel(x, y) == background) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box.Empty() ? turtle::PixelRect{} : box;
}

inline int CountPixels(const turtle::Raster& r, std::uint32_t argb) {
  int n = 0;
  for (int y = 0; y < r.Height(); ++y)
    for (int x = 0; x < r.Width(); ++x) n += r.Pixel(x, y) == argb;
  return n;
}

// FNV-1a over the pixels, row by row.
inline std::uint64_t HashPixels(const turtle::Raster& r) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  const auto* bytes = reinterpret_cast<const unsigned char*>(r.Bits());
  const std::size_t n = static_cast<std::size_t>(r.Width()) * r.Height() * 4;
  for (std::size_t i = 0; i < n; ++i) {
    h ^= bytes[i];
    h *= 0x100000001b3ull;
  }
  return h;
}

inline void WritePpm(const turtle::Raster& r, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fprintf(f, "P6\n%d %d\n255\n", r.Width(), r.Height());
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      const std::uint32_t p = r.Pixel(x, y);
      const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                    static_cast<unsigned char>(p >> 8),
                                    static_cast<unsigned char>(p)};
      std::fwrite(rgb, 1, 3, f);
    }
  }
  std::fclose(f);
}

}  // namespace testing_support
