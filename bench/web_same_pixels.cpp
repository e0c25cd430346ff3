// web_same_pixels: prints, for a wide set of sweeps on canvases of given sizes, a hash of the
// raster and a digest of the segments handed to the canvas after every curve. Built natively and
// as WebAssembly by web_same_pixels.sh, whose comparison of the two outputs tells whether the
// page draws the desktop's pixels (and where the segment coordinates differ at all).
//
//   web_same_pixels WIDTHxHEIGHT...      (default: 573x413 1146x826, device pixel ratios 1 and 2)

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sweeps/render.h"
#include "sweeps/sweeps.h"
#include "turtle/canvas.h"
#include "turtle/turtle.h"

namespace {

constexpr std::uint64_t kFnvStart = 0xcbf29ce484222325ull;

std::uint64_t Fnv(const void* data, std::size_t size, std::uint64_t h) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    h ^= bytes[i];
    h *= 0x100000001b3ull;
  }
  return h;
}

// Passes every segment on to the canvas and folds it into a digest.
class DigestingTarget final : public turtle::LineTarget {
 public:
  explicit DigestingTarget(turtle::Canvas& canvas) : canvas_(canvas) {}
  void Line(float x1, float y1, float x2, float y2, turtle::ColorValue color) override {
    const float ends[4] = {x1, y1, x2, y2};
    digest = Fnv(ends, sizeof ends, digest);
    digest = Fnv(&color, sizeof color, digest);
    canvas_.Line(x1, y1, x2, y2, color);
  }
  void Refresh() override { canvas_.Refresh(); }
  std::uint64_t digest = kFnvStart;

 private:
  turtle::Canvas& canvas_;
};

// Every sweep to 360 (and past it by half a degree, for the half-degree angles), the Draw sweep
// with several style-1 maxima; each draws every angle of its range over the ones before.
struct Case {
  const char* sweep;
  double style1Max;
  double sweepMax;
};
constexpr Case kCases[] = {
    {"draw", 60, 360},  {"draw", 0, 360},     {"draw", 30, 360},  {"draw", 90, 360},
    {"draw", 180, 360}, {"draw", 360, 360.5}, {"style2", 0, 360}, {"style2", 60, 359.5},
    {"style3", 0, 360}, {"style3", 0, 360.5},
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::pair<int, int>> sizes;
  for (int i = 1; i < argc; ++i) {
    int w = 0;
    int h = 0;
    if (std::sscanf(argv[i], "%dx%d", &w, &h) != 2 || w < 1 || h < 1) {
      std::fprintf(stderr, "usage: %s [WIDTHxHEIGHT...]\n", argv[0]);
      return 2;
    }
    sizes.emplace_back(w, h);
  }
  if (sizes.empty()) sizes = {{573, 413}, {1146, 826}};

  for (const auto& size : sizes) {
    const int width = size.first;
    const int height = size.second;
    for (const Case& c : kCases) {
      turtle::Canvas canvas(width, height);
      DigestingTarget target(canvas);
      turtle::Turtle turtle(target);
      sweeps::SweepState state;
      state.Style1MaxAngle = c.style1Max;  // what the style-2 sweep's closing curve reads
      int curve = 0;
      sweeps::SweepHost host{
          canvas,
          turtle,
          state,
          [&c] { return c.style1Max; },
          [&c] { return c.sweepMax; },
          [] {},
          [&] {
            const turtle::Raster& r = canvas.Image();
            const std::uint64_t pixels =
                Fnv(r.Bits(), sizeof(std::uint32_t) * r.Width() * r.Height(), kFnvStart);
            std::printf("%s %g %g %dx%d curve %d pixels %016llx segments %016llx\n", c.sweep,
                        c.style1Max, c.sweepMax, width, height, curve++,
                        static_cast<unsigned long long>(pixels),
                        static_cast<unsigned long long>(target.digest));
            target.digest = kFnvStart;
          }};
      sweeps::RunSweep(*sweeps::SweepNamed(c.sweep), host);
      std::fflush(stdout);
    }
  }
  return 0;
}
