#pragma once
// The window: one sweep clicked in the program's own window (Form1, Command2), against the same
// sweep drawn with no window and against a naive window that repaints all of itself at every
// refresh point; how often the program's window presented while it drew, and its memory.
// Runs on whatever Qt platform the bench started on (xcb, wayland, offscreen).

#include <cstdint>
#include <string>
#include <vector>

#include "report.h"
#include "sweep_cases.h"

namespace bench {

struct WindowFigures {
  std::string platform;
  std::string skipped;  // why the window sweep was not measured; empty when it was
  const SweepCase* sweep = nullptr;
  std::uint64_t segments = 0;
  std::uint64_t curves = 0;
  std::vector<double> program, drawingOnly, naive;  // seconds, one per repetition
  std::vector<double> presents;                     // paints of the canvas per program sweep
  double longestGapSeconds = 0.0;                   // between two paints, over every sweep
  double frameSeconds = 0.0;                        // the display frame the pacing assumed
  long idleKb = -1;
  long peakKb = -1;
  bool peakReset = false;
  std::uint64_t programAllocations = 0;
};

WindowFigures MeasureWindowSweep(const SweepCase& sweep, int reps, StreamChecks& checks);
WindowFigures WindowSkipped(std::string why);

std::vector<Row> WindowRows(const WindowFigures& figures, bool shortened);
std::vector<Target> WindowTargets(const WindowFigures& figures);

}  // namespace bench
