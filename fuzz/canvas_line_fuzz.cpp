// Fuzzes turtle::Canvas::Line with any world window, any raster size and any four floats (NaN,
// infinities, subnormals, values far past the raster). The raster's storage is exactly its
// size, so ASan flags any write outside it. A segment that lies wholly inside the client area
// must light at least one pixel, and only pixels the segment passes within one pixel of. A
// second segment continues from the first's end, as a turtle's do, and the two must light what
// they light drawn one by one on the raster itself.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "turtle/canvas.h"

namespace {

template <class T>
T Take(const std::uint8_t*& data, std::size_t& size) {
  T v{};
  const std::size_t n = std::min(sizeof(T), size);
  std::memcpy(&v, data, n);
  data += n;
  size -= n;
  return v;
}

// Distance from point (px, py) to the segment (x0, y0)-(x1, y1).
double DistanceToSegment(double px, double py, double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

// Continues the run on a copy of the canvas and compares it with both segments drawn through
// DrawLine, which keeps no pen, on a raster of the same size.
void CheckRun(const turtle::Canvas& drawn, const float (&line)[4], const float (&onward)[2],
              turtle::ColorValue ink) {
  turtle::Canvas run = drawn;
  run.Line(line[2], line[3], onward[0], onward[1], ink);
  const turtle::Raster& image = run.Image();
  turtle::Raster alone(image.Width(), image.Height(), turtle::ToArgb32(drawn.BackColor()));
  for (const auto& [x0, y0, x1, y1] : {std::array{line[0], line[1], line[2], line[3]},
                                       std::array{line[2], line[3], onward[0], onward[1]}}) {
    alone.DrawLine(run.DeviceX(x0), run.DeviceY(y0), run.DeviceX(x1), run.DeviceY(y1),
                   turtle::ToArgb32(ink), run.DrawWidth());
  }
  const std::size_t pixels = static_cast<std::size_t>(image.Width()) * image.Height();
  if (pixels > 0 && std::memcmp(image.Bits(), alone.Bits(), pixels * 4) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int width = Take<std::uint8_t>(data, size) % 65;
  const int height = Take<std::uint8_t>(data, size) % 65;
  const auto drawWidth = static_cast<std::int16_t>(Take<std::uint8_t>(data, size) % 4);
  float world[4];
  for (float& w : world) w = Take<float>(data, size);
  float line[4];
  for (float& v : line) v = Take<float>(data, size);

  constexpr turtle::ColorValue kBack = turtle::kBlack;
  constexpr turtle::ColorValue kInk = turtle::kYellow;
  turtle::Canvas canvas(width, height, kBack);
  // Half the inputs use a world window of their own, the rest the identity (device units).
  if (width % 2 == 0) canvas.SetWorld(world[0], world[1], world[2], world[3]);
  canvas.SetDrawWidth(drawWidth);
  canvas.Line(line[0], line[1], line[2], line[3], kInk);
  canvas.Refresh();
  const float onward[2] = {Take<float>(data, size), Take<float>(data, size)};
  CheckRun(canvas, line, onward, kInk);

  const double x0 = canvas.DeviceX(line[0]), y0 = canvas.DeviceY(line[1]);
  const double x1 = canvas.DeviceX(line[2]), y1 = canvas.DeviceY(line[3]);
  const bool finite =
      std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1);
  const bool inside = finite && x0 >= 0 && x0 <= width && x1 >= 0 && x1 <= width && y0 >= 0 &&
                      y0 <= height && y1 >= 0 && y1 <= height;
  if (!inside || width == 0 || height == 0 || drawWidth > 1) return 0;

  const turtle::Raster& r = canvas.Image();
  int lit = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (r.Pixel(x, y) != turtle::ToArgb32(kInk)) continue;
      ++lit;
      // Within one pixel: the pixel's centre is within 1 + half a diagonal of the segment.
      if (DistanceToSegment(x + 0.5, y + 0.5, x0, y0, x1, y1) > 1.0 + 0.7072) std::abort();
    }
  }
  if (lit == 0) std::abort();
  return 0;
}
