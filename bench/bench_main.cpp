// vornlace_bench: how fast the program draws its sweeps, against a naive design and against the
// cheapest computation of the same segments, with no window and in its own window on whatever
// platform Qt runs on, and how long a render to an image file takes. Prints one table of medians
// and ratios, then the targets. Fails (exit status 1) only when the designs did not draw the same
// segment stream; never on speed.
//
//   vornlace_bench [--reps N] [--smoke] [--no-window]

#include <QApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "animation_bench.h"
#include "drawing_only.h"
#include "machine.h"
#include "render_bench.h"
#include "report.h"
#include "sweep_cases.h"
#include "sweeps/sweeps.h"
#include "window_sweep.h"

namespace {

struct Options {
  int reps = 5;
  bool smoke = false;
  bool window = true;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--reps" && i + 1 < argc) {
      options.reps = std::atoi(argv[++i]);
    } else if (arg.rfind("--reps=", 0) == 0) {
      options.reps = std::atoi(arg.c_str() + 7);
    } else if (arg == "--smoke") {
      options.smoke = true;
    } else if (arg == "--no-window") {
      options.window = false;
    } else {
      return false;
    }
  }
  if (options.smoke) options.reps = 1;
  return options.reps >= 1;
}

template <class T>
void Append(std::vector<T>& to, const std::vector<T>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: %s [--reps N] [--smoke] [--no-window]\n", argv[0]);
    return 2;
  }
  // Without a display, the drawing-only part still runs, on Qt's offscreen platform.
  const bool chosenOffscreen = !qEnvironmentVariableIsSet("QT_QPA_PLATFORM") &&
                               !qEnvironmentVariableIsSet("DISPLAY") &&
                               !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
  if (chosenOffscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);

  std::printf("vornlace_bench: %d repetition%s%s%s\n", options.reps, options.reps == 1 ? "" : "s",
              options.smoke ? ", smoke run (window sweep shortened)" : "",
              options.window ? "" : ", no window");
  std::printf("machine:  %d processors (nproc), %s\n", bench::ProcessorCount(),
              bench::CpuModel().c_str());
  std::printf("Qt:       %s, platform \"%s\"%s\n", qVersion(),
              qPrintable(QGuiApplication::platformName()),
              chosenOffscreen ? " (chosen by the bench: no display)" : "");
  std::fflush(stdout);

  // The three buttons' sweeps with the window's default boxes, 60 and 90. The window sweep is
  // style 2; the smoke run stops it at 12 degrees, because the naive window repaints all of
  // itself 70,000 times over a whole sweep.
  const bench::SweepCase sweeps[] = {
      {"Draw", &sweeps::kDrawSweep, 60.0, 90.0},
      {"Style 2", &sweeps::kStyle2Sweep, 60.0, 90.0},
      {"Style 3", &sweeps::kStyle3Sweep, 60.0, 90.0},
  };
  const bench::SweepCase windowSweep{"Style 2", &sweeps::kStyle2Sweep, 60.0,
                                     options.smoke ? 12.0 : 90.0};

  bench::StreamChecks checks;
  const bench::DrawingOnlyFigures drawing = bench::MeasureDrawingOnly(sweeps, options.reps, checks);
  const bench::WindowFigures window =
      options.window ? bench::MeasureWindowSweep(windowSweep, options.reps, checks)
                     : bench::WindowSkipped("skipped (--no-window)");
  const std::vector<bench::RenderTiming> renders = bench::TimeRenders(options.reps);
  const std::vector<bench::AnimationTiming> animations = bench::TimeAnimations(options.reps);

  std::vector<bench::Row> rows;
  Append(rows, bench::DrawingOnlyRows(drawing));
  Append(rows, bench::WindowRows(window, options.smoke));
  Append(rows, bench::RenderRows(renders));
  Append(rows, bench::AnimationRows(animations));
  std::printf("\n");
  bench::PrintTable(rows);
  std::printf(
      "medians of %d repetition%s; variants interleaved within each repetition "
      "(limit pixel checksum %08x)\n",
      options.reps, options.reps == 1 ? "" : "s", drawing.limitChecksum);
  checks.Print();

  std::vector<bench::Target> targets;
  Append(targets, bench::DrawingOnlyTargets(drawing));
  Append(targets, bench::WindowTargets(window));
  Append(targets, bench::AnimationTargets(animations));
  bench::PrintTargets(targets);

  if (!checks.AllSame()) {
    std::printf("\nFAILED: the designs did not draw the same segment stream\n");
    return 1;
  }
  return 0;
}
