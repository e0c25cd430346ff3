#pragma once
// The bench's output: rows of figures printed as one table, the targets with their verdicts,
// the segment-stream checks that decide the exit status, and the small helpers they share
// (timing, medians, number formatting). Measures nothing itself.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start);
double Median(std::vector<double> v);
std::string Grouped(std::uint64_t n);                  // 7125759 -> "7,125,759"
std::string Format(const char* format, double value);  // one printf conversion

struct Row {
  int group = 0;  // rows of one group are printed together, a blank line between groups
  std::string part;
  std::string design;
  std::string sweep;
  std::uint64_t segments = 0;
  std::uint64_t curves = 0;
  double seconds = -1.0;  // negative: the row carries only the text in `ratio`
  std::string ratio;
};

// A row of text only.
Row Note(int group, std::string part, std::string design, std::string text);

void PrintTable(const std::vector<Row>& rows);

enum class Verdict { kMet, kNotMet, kNotMeasured };

struct Target {
  std::string what;
  std::string figure;
  Verdict verdict;
};

// A target measured: met when `met`, with the figure as printed.
Target Measured(std::string what, std::string figure, bool met);
// A target that could not be measured, and why.
Target NotMeasured(std::string what, std::string why);

void PrintTargets(const std::vector<Target>& targets);

// Whether the designs drew the same segment streams; any difference fails the bench.
class StreamChecks {
 public:
  void Add(bool same, const std::string& what);
  [[nodiscard]] bool AllSame() const noexcept { return allSame_; }
  void Print() const;

 private:
  std::vector<std::string> lines_;
  bool allSame_ = true;
};

}  // namespace bench
