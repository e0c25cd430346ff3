#pragma once
// Animations of the default style-2 sweep at scale 1, in both formats: the drawing alone, the
// encoding on top of it and the file's size in this process, and the whole command line run
// (start-up included), and the heap the animation keeps in use while it runs, for the default
// sweep and for one three times as long. Files go to a temporary directory that is removed.

#include <cstdint>
#include <string>
#include <vector>

#include "report.h"

namespace bench {

struct AnimationTiming {
  std::string format;  // "GIF" or "WebP"
  std::uint64_t frames = 0;
  std::uint64_t segments = 0;  // the sweep draws, as the drawing-only part counts them
  double drawSeconds = 0.0;    // the sweep alone on an off-screen canvas
  double encodeSeconds = 0.0;  // what taking and encoding the frames adds to it
  std::int64_t fileBytes = 0;
  double commandSeconds = -1;  // `vornlace --render style2 --animate`, start to exit; <0: failed
  // The most heap in use at any curve of the animation, over what was in use before it (glibc's
  // own count, which includes the encoders' memory); -1 where it cannot be read.
  long heapKb = -1;
  long longHeapKb = -1;  // the same for the sweep to 270°: 272 frames
  std::int64_t longFileBytes = 0;
};

std::vector<AnimationTiming> TimeAnimations(int reps);
std::vector<Row> AnimationRows(const std::vector<AnimationTiming>& timings);
std::vector<Target> AnimationTargets(const std::vector<AnimationTiming>& timings);

}  // namespace bench
