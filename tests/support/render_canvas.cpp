// The reference picture for the browser tests at any canvas size: one sweep run as its button
// runs it, on a canvas of WIDTH x HEIGHT device pixels, written as a binary PPM.
//   render_canvas WIDTH HEIGHT SWEEP TEXT1 TEXT2 OUT.ppm
// The command line renders only whole multiples of the window's canvas; a phone's canvas is
// whatever size its screen gives it.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sweeps/number_text.h"
#include "sweeps/sweeps.h"
#include "turtle/canvas.h"
#include "turtle/colour_value.h"
#include "turtle/turtle.h"

namespace {

double Number(const char* text) {
  const std::string bytes(text);
  return sweeps::NumberFromText(std::u16string(bytes.begin(), bytes.end()));
}

}  // namespace

int main(int argc, char** argv) {
  const sweeps::SweepPlan* plan = argc == 7 ? sweeps::SweepNamed(argv[3]) : nullptr;
  const int width = argc == 7 ? std::atoi(argv[1]) : 0;
  const int height = argc == 7 ? std::atoi(argv[2]) : 0;
  if (plan == nullptr || width < 1 || height < 1) {
    std::fputs("usage: render_canvas WIDTH HEIGHT SWEEP TEXT1 TEXT2 OUT.ppm (ASCII texts)\n",
               stderr);
    return 2;
  }
  turtle::Canvas canvas(width, height, turtle::kBlack);
  turtle::Turtle turtle(canvas);
  sweeps::SweepState state;
  sweeps::SweepHost host{
      canvas, turtle, state, [argv] { return Number(argv[4]); }, [argv] { return Number(argv[5]); },
      [] {}};
  (void)sweeps::RunSweep(*plan, host);

  std::FILE* out = std::fopen(argv[6], "wb");
  if (out == nullptr) return 1;
  std::fprintf(out, "P6\n%d %d\n255\n", width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const turtle::Channels c = turtle::ChannelsOfPixel(canvas.Image().Pixel(x, y));
      const unsigned char rgb[3] = {c.red, c.green, c.blue};
      std::fwrite(rgb, 1, 3, out);
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
