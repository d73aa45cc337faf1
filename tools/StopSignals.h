#pragma once

#include <atomic>

namespace vantle::tool {

// While it lives, SIGINT and SIGTERM do not end the process but ask it to stop, so that a
// long command can end with its files in order.
class TStopSignals {
 public:
  TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;
  // Gives both signals back their earlier handling.
  ~TStopSignals();

  // Turns true at the first of the signals.
  const std::atomic<bool>& Stop() const;
  // The signal that asked to stop, 0 while none did.
  int Signal() const;
};

}  // namespace vantle::tool
