#include "StopSignals.h"

#include <signal.h>

namespace vantle::tool {

namespace {

// Lock-free, so the handler may touch them.
std::atomic<bool> stopAsked{false};
std::atomic<int> stopSignal{0};
struct sigaction previousInt {
}, previousTerm{};

void AskToStop(int signal) {
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);
  stopAsked = true;
}

}  // namespace

TStopSignals::TStopSignals() {
  static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);
  struct sigaction action {};
  action.sa_handler = AskToStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
}

TStopSignals::~TStopSignals() {
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
}

const std::atomic<bool>& TStopSignals::Stop() const {
  return stopAsked;
}

int TStopSignals::Signal() const {
  return stopSignal;
}

}  // namespace vantle::tool
