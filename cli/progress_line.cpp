#include "cli/progress_line.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {

constexpr double kDelaySeconds = 1.0;
constexpr double kIntervalSeconds = 0.2;

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

bool StderrIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

std::string Duration(double seconds) {
  const auto s = static_cast<long long>(seconds + 0.5);
  char text[48];
  if (s < 60) {
    std::snprintf(text, sizeof text, "%lld s", s);
  } else if (s < 3600) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
  } else if (s < 48 * 3600) {
    std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, s % 3600 / 60);
  } else {
    std::snprintf(text, sizeof text, "%lld days", s / 86400);
  }
  return text;
}

}  // namespace

ProgressLine::ProgressLine() : terminal_(StderrIsTerminal()), start_(Clock::now()) {}

std::string ProgressText(std::uint64_t done, std::uint64_t total, double elapsedSeconds) {
  std::string text = "vornlace: " + std::to_string(done) + "/" + std::to_string(total) + " curves";
  // Curves of one sweep cost much the same, so the pace so far is a fair guide.
  if (done > 0 && done < total) {
    const double left =
        elapsedSeconds / static_cast<double>(done) * static_cast<double>(total - done);
    text += left < 1.0 ? ", under 1 s left" : ", about " + Duration(left) + " left";
  }
  return text;
}

void ProgressLine::Update(std::uint64_t done, std::uint64_t total) {
  if (Due()) Show(ProgressText(done, total, Seconds(Clock::now() - start_)));
}

void ProgressLine::Note(const std::string& text) {
  if (shown_ || (terminal_ && Seconds(Clock::now() - start_) >= kDelaySeconds)) Show(text);
}

void ProgressLine::Clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

bool ProgressLine::Due() {
  if (!terminal_) return false;
  const Clock::time_point now = Clock::now();
  if (Seconds(now - start_) < kDelaySeconds) return false;
  if (shown_ && Seconds(now - lastShown_) < kIntervalSeconds) return false;
  lastShown_ = now;
  return true;
}

void ProgressLine::Show(const std::string& text) {
  std::fputs(("\r\033[K" + text).c_str(), stderr);
  std::fflush(stderr);
  shown_ = true;
}

}  // namespace cli
