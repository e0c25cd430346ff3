#pragma once
// Renders to an image file, timed as the command line does them: the default Draw sweep
// (maxima 60 and 90) at scale 1 and at scale 4, the drawing measured apart from encoding and
// writing the PNG. Files go to a temporary directory that is removed afterwards.

#include <cstdint>
#include <vector>

#include "report.h"

namespace bench {

struct RenderTiming {
  int scale = 0;
  int width = 0;  // the picture, in pixels
  int height = 0;
  std::uint64_t segments = 0;
  std::uint64_t curves = 0;
  double drawSeconds = 0.0;   // the sweep on a fresh canvas of that size
  double writeSeconds = 0.0;  // PNG encoding, writing and putting the file in place
  std::int64_t fileBytes = 0;
  bool written = false;  // false when the file could not be written; the times are then 0
};

// One row per scale (1, then 4), each the median of `reps` repetitions.
std::vector<RenderTiming> TimeRenders(int reps);

std::vector<Row> RenderRows(const std::vector<RenderTiming>& timings);

}  // namespace bench
