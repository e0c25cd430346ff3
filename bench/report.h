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

// The parts of the table in the order they are printed, lettered a, b, c, ... in its "part"
// column: each drawing-only sweep's three designs, sweep by sweep; the program against the limit
// kernel, one row per sweep; then the window sweep; memory and allocations; renders to image
// files; animations. A blank line comes between two drawing-only sweeps and between two parts
// after them.
enum class Part {
  kProgram,
  kNaive,
  kLimit,
  kAgainstLimit,
  kWindow,
  kResources,
  kRender,
  kAnimation
};

struct Row {
  Part part = Part::kProgram;
  std::string design;
  std::string sweep;
  std::uint64_t segments = 0;
  std::uint64_t curves = 0;
  double seconds = -1.0;  // negative: the row carries only the text in `ratio`
  std::string ratio;
  int sweepIndex = 0;  // which drawing-only sweep, for the parts printed sweep by sweep
};

// A row of text only.
Row Note(Part part, std::string design, std::string text);

// Prints the rows in the order of their parts; rows of one part keep the order they came in.
void PrintTable(std::vector<Row> rows);

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
