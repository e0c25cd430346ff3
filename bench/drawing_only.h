#pragma once
// Drawing only: each default sweep through the program's own canvas, turtle and sweep loop with
// no window and no event pump, against the naive design and the limit kernel, the three
// interleaved within each repetition. First, untimed, every design's whole segment stream is
// recorded and compared with the program's.

#include <cstdint>
#include <span>
#include <vector>

#include "report.h"
#include "sweep_cases.h"
#include "tests/support/stream_digest.h"

namespace bench {

// The program's segment stream for one sweep, and where its turtle ended.
struct ProgramStream {
  testing_support::StreamDigest digest;
  std::uint64_t curves = 0;
  EndPoint end;
};
ProgramStream RecordProgramStream(const SweepCase& sweep);

// The seconds the program takes to draw one sweep with no window.
double TimeProgramSweep(const SweepCase& sweep);

struct DrawingOnlyFigures {
  struct Sweep {
    const SweepCase* sweep = nullptr;
    std::uint64_t segments = 0;
    std::uint64_t curves = 0;
    std::vector<double> program, naive, limit;  // seconds, one per repetition
    std::uint64_t programAllocations = 0;
  };
  std::vector<Sweep> sweeps;
  int reps = 0;
  std::uint32_t limitChecksum = 0;  // keeps the limit kernel's pixels from being optimised away
};

DrawingOnlyFigures MeasureDrawingOnly(std::span<const SweepCase> cases, int reps,
                                      StreamChecks& checks);

std::vector<Row> DrawingOnlyRows(const DrawingOnlyFigures& figures);
std::vector<Target> DrawingOnlyTargets(const DrawingOnlyFigures& figures);

}  // namespace bench
