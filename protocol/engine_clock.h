#pragma once
// The time source of the engine's timed threads (ageing, retransmission).
// The engine's creator may pass its own clock; tests use a manual one to run
// seconds of protocol timing in milliseconds.
//
// Thread safety: every member may be called from any thread.

#include <chrono>
#include <stop_token>

class CEngineClock {
 public:
  using Duration = std::chrono::milliseconds;

  virtual ~CEngineClock() = default;
  // Time since an arbitrary start; only differences are meaningful.
  virtual Duration Now() const = 0;
  // Blocks for `period` on this clock. Returns false at once when `stop` is
  // requested, true when the period has passed.
  virtual bool SleepFor(Duration period, std::stop_token stop) = 0;
};

// Real time from std::chrono::steady_clock.
class CSteadyClock final : public CEngineClock {
 public:
  Duration Now() const override;
  bool SleepFor(Duration period, std::stop_token stop) override;
};
