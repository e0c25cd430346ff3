#include "animation_bench.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <tuple>

#include "animation/animate.h"
#include "drawing_only.h"
#include "machine.h"
#include "sweeps/render.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <spawn.h>
#include <sys/wait.h>
#endif

extern char** environ;

namespace bench {

namespace {

// The sweep the window offers by default under 形式２, at scale 1.
animation::AnimationRequest DefaultRequest(animation::Format format) {
  animation::AnimationRequest request;
  request.render = {&sweeps::kStyle2Sweep, 0, 90, 1};
  request.format = format;
  return request;
}

// Bytes of heap in use, as glibc counts them (its arenas and its mmapped blocks), or -1.
long HeapInUseKb() {
#if defined(__GLIBC__)
  const struct mallinfo2 m = mallinfo2();
  return static_cast<long>((m.uordblks + m.hblkhd) / 1024);
#else
  return -1;
#endif
}

// Animates into memory that is counted and dropped: the file's size and the most heap in use
// at any curve, over what was in use before.
std::pair<std::int64_t, long> AnimateCounting(const animation::AnimationRequest& request) {
  std::int64_t bytes = 0;
  const long before = HeapInUseKb();
  long most = before;
  animation::Animate(
      request,
      [&bytes](const std::uint8_t*, std::size_t n) {
        bytes += static_cast<std::int64_t>(n);
        return true;
      },
      [&most](std::uint64_t, std::uint64_t) {
        most = std::max(most, HeapInUseKb());
        return true;
      });
  return {bytes, before < 0 ? -1 : most - before};
}

// Runs the program and waits for it: wall seconds, or -1 on failure.
double RunCommand(const std::vector<std::string>& args) {
#if defined(__linux__)
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return SecondsSince(start);
#else
  (void)args;
  return -1;
#endif
}

}  // namespace

std::vector<AnimationTiming> TimeAnimations(int reps) {
  reps = std::max(reps, 1);
  QTemporaryDir dir;
  const auto output = [&dir](const char* name) {
    return dir.filePath(QLatin1String(name)).toStdString();
  };
  const std::string program = VORNLACE_BINARY;
  const sweeps::RenderRequest sweep = DefaultRequest(animation::Format::Gif).render;
  const std::uint64_t segments =
      RecordProgramStream({"Style 2", sweep.plan, sweep.style1Max, sweep.sweepMax}).digest.segments;
  std::vector<AnimationTiming> rows;
  for (const auto& [format, name, file] : {std::tuple{animation::Format::Gif, "GIF", "a.gif"},
                                           std::tuple{animation::Format::WebP, "WebP", "a.webp"}}) {
    AnimationTiming row;
    row.format = name;
    row.segments = segments;
    const animation::AnimationRequest request = DefaultRequest(format);
    row.frames = animation::FramesIn(request);
    std::vector<double> draw, whole, command;
    for (int rep = 0; rep < reps; ++rep) {
      auto start = Clock::now();
      (void)sweeps::Render(request.render);
      draw.push_back(SecondsSince(start));

      start = Clock::now();
      std::tie(row.fileBytes, row.heapKb) = AnimateCounting(request);
      whole.push_back(SecondsSince(start));

      const double seconds =
          RunCommand({program, "--render", "style2", "--animate", "--output", output(file)});
      if (seconds >= 0) command.push_back(seconds);
    }
    row.drawSeconds = Median(draw);
    row.encodeSeconds = std::max(0.0, Median(whole) - row.drawSeconds);
    if (!command.empty()) row.commandSeconds = Median(command);
    animation::AnimationRequest longer = request;
    longer.render.sweepMax = 270;
    std::tie(row.longFileBytes, row.longHeapKb) = AnimateCounting(longer);
    rows.push_back(row);
  }
  return rows;
}

std::vector<Row> AnimationRows(const std::vector<AnimationTiming>& timings) {
  std::vector<Row> rows;
  const auto mb = [](long kb) { return kb < 0 ? std::string("?") : Format("%.1f", Mb(kb)); };
  for (const AnimationTiming& t : timings) {
    rows.push_back({Part::kAnimation, "animation, drawing", "Style 2 1x", t.segments, t.frames,
                    t.drawSeconds, "the sweep on an off-screen canvas"});
    rows.push_back({Part::kAnimation, "animation, frames and " + t.format + " encoding",
                    "Style 2 1x", t.segments, t.frames, t.encodeSeconds,
                    Grouped(static_cast<std::uint64_t>(t.fileBytes)) + " bytes"});
    if (t.commandSeconds >= 0) {
      rows.push_back({Part::kAnimation, "animation, whole " + t.format + " command", "Style 2 1x",
                      t.segments, t.frames, t.commandSeconds, "start-up included"});
    }
    rows.push_back(Note(Part::kAnimation, "animation, heap in use (" + t.format + ")",
                        "92 frames " + mb(t.heapKb) + " MB, 272 frames " + mb(t.longHeapKb) +
                            " MB (file " + Grouped(static_cast<std::uint64_t>(t.longFileBytes)) +
                            " bytes)"));
  }
  return rows;
}

std::vector<Target> AnimationTargets(const std::vector<AnimationTiming>& timings) {
  std::vector<Target> targets;
  // One canvas at scale 1 is 573 × 413 × 4 bytes; a few of them (the render's, the last frame,
  // the encoder's) and the file are the budget, however many frames there are.
  constexpr long kCanvasKb = 573 * 413 * 4 / 1024;
  for (const AnimationTiming& t : timings) {
    const double limit = t.format == "GIF" ? 0.5 : 1.0;
    const std::string what = "default style-2 animation as " + t.format +
                             ", whole command, <= " + Format("%.1f", limit) + " s";
    targets.push_back(t.commandSeconds < 0 ? NotMeasured(what, "the command could not be run")
                                           : Measured(what, Format("%.3f s", t.commandSeconds),
                                                      t.commandSeconds <= limit));
    const std::string memory =
        t.format + " animation of 272 frames keeps <= 6 canvases + the file in use";
    const long budget = 6 * kCanvasKb + static_cast<long>(t.longFileBytes / 1024);
    targets.push_back(t.longHeapKb < 0 ? NotMeasured(memory, "glibc's heap count not available")
                                       : Measured(memory,
                                                  Format("%.1f MB", Mb(t.longHeapKb)) + " of " +
                                                      Format("%.1f MB", Mb(budget)),
                                                  t.longHeapKb <= budget));
  }
  return targets;
}

}  // namespace bench
