#include "cli/stop_signals.h"

#include <csignal>

namespace cli {

namespace {

// The signal that asked the render to end, or 0. Only ever set by the handler.
volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void OnStopSignal(int signal) { gStopSignal = signal; }

void (*Catch(int signal))(int) {
  const auto previous = std::signal(signal, OnStopSignal);
  if (previous == SIG_IGN) std::signal(signal, SIG_IGN);
  return previous;
}

}  // namespace

StopSignals::StopSignals() {
  gStopSignal = 0;
  previousInt_ = Catch(SIGINT);
  previousTerm_ = Catch(SIGTERM);
}

StopSignals::~StopSignals() {
  std::signal(SIGINT, previousInt_);
  std::signal(SIGTERM, previousTerm_);
}

int StopSignals::Caught() noexcept { return gStopSignal; }

}  // namespace cli
