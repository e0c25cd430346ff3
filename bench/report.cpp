#include "report.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace bench {

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::string Grouped(std::uint64_t n) {
  const std::string digits = std::to_string(n);
  std::string out;
  const std::size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  out.append(digits, 0, first);
  for (std::size_t i = first; i < digits.size(); i += 3) {
    out += ',';
    out.append(digits, i, 3);
  }
  return out;
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

Row Note(Part part, std::string design, std::string text) {
  Row row;
  row.part = part;
  row.design = std::move(design);
  row.ratio = std::move(text);
  return row;
}

namespace {

// Where a row is printed: the drawing-only parts come first, sweep by sweep, then each later
// part on its own.
std::pair<int, int> BlockOf(const Row& r) {
  const bool bySweep = r.part <= Part::kLimit;
  return {bySweep ? 0 : static_cast<int>(r.part), bySweep ? r.sweepIndex : 0};
}

}  // namespace

void PrintTable(std::vector<Row> rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Row& a, const Row& b) { return BlockOf(a) < BlockOf(b); });
  const std::string rule(124, '-');
  std::printf("%s\n", rule.c_str());
  std::printf("%-4s %-38s %-12s %12s %6s %10s %10s  %s\n", "part", "design", "sweep", "segments",
              "curves", "median s", "ns/segment", "ratio");
  std::printf("%s\n", rule.c_str());
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Row& r = rows[k];
    if (k > 0 && BlockOf(r) != BlockOf(rows[k - 1])) std::printf("\n");
    const char part = static_cast<char>('a' + static_cast<int>(r.part));
    if (r.seconds < 0) {
      std::printf("%-4c %-38s %s\n", part, r.design.c_str(), r.ratio.c_str());
      continue;
    }
    const double ns = r.segments > 0 ? r.seconds * 1e9 / static_cast<double>(r.segments) : 0.0;
    std::printf("%-4c %-38s %-12s %12s %6s %10.4f %10.2f  %s\n", part, r.design.c_str(),
                r.sweep.c_str(), Grouped(r.segments).c_str(), Grouped(r.curves).c_str(), r.seconds,
                ns, r.ratio.c_str());
  }
  std::printf("%s\n", rule.c_str());
}

Target Measured(std::string what, std::string figure, bool met) {
  return {std::move(what), std::move(figure), met ? Verdict::kMet : Verdict::kNotMet};
}

Target NotMeasured(std::string what, std::string why) {
  return {std::move(what), std::move(why), Verdict::kNotMeasured};
}

void PrintTargets(const std::vector<Target>& targets) {
  std::printf("\ntargets:\n");
  for (const Target& t : targets) {
    const char* verdict = t.verdict == Verdict::kMet      ? "MET"
                          : t.verdict == Verdict::kNotMet ? "NOT MET"
                                                          : "NOT MEASURED";
    std::printf("  %-13s %-72s %s\n", verdict, t.what.c_str(), t.figure.c_str());
  }
}

void StreamChecks::Add(bool same, const std::string& what) {
  lines_.push_back(std::string(same ? "  same      " : "  DIFFERENT ") + what);
  if (!same) allSame_ = false;
}

void StreamChecks::Print() const {
  std::printf("\nsegment streams:\n");
  for (const std::string& line : lines_) std::printf("%s\n", line.c_str());
}

}  // namespace bench
