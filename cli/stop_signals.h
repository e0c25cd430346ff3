#pragma once
// Ctrl+C and SIGTERM during a render from the command line: caught while a StopSignals lives, so
// that the render can end between curves and leave no file behind, and put back as they were
// afterwards. The handler only records the signal; the render asks for it between curves.

namespace cli {

class StopSignals {
 public:
  // Catches SIGINT and SIGTERM; a signal that was ignored when the program started (a background
  // job, nohup) stays ignored. Forgets any signal caught before.
  StopSignals();
  // Puts the previous handlers back.
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The signal that asked the render to end, or 0.
  [[nodiscard]] static int Caught() noexcept;

 private:
  using Handler = void (*)(int);
  Handler previousInt_;
  Handler previousTerm_;
};

}  // namespace cli
