#pragma once
// The progress of a long render on standard error, when that is a terminal: one line, rewritten
// in place a few times a second once the render has run for a second, and erased when the render
// is over. Quick renders and redirected output show nothing. English, as terminal tools are.

#include <chrono>
#include <cstdint>
#include <string>

namespace cli {

// The line after `elapsedSeconds` of a render: "vornlace: 12/92 curves, about 3 s left", the time
// left judged by the pace so far and shown as "under 1 s", "59 s", "1 min 05 s", "2 h 05 min" or
// "3 days"; no time while nothing or everything is drawn.
[[nodiscard]] std::string ProgressText(std::uint64_t done, std::uint64_t total,
                                       double elapsedSeconds);

class ProgressLine {
 public:
  ProgressLine();
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // "vornlace: 12/92 curves, about 3 s left", when it is due.
  void Update(std::uint64_t done, std::uint64_t total);
  // Replaces the line with `text` if the line is in use or the render has run for a second.
  void Note(const std::string& text);
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;

  bool Due();
  void Show(const std::string& text);

  bool terminal_;
  Clock::time_point start_;
  Clock::time_point lastShown_;
  bool shown_ = false;
};

}  // namespace cli
