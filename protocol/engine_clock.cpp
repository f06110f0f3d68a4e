#include "protocol/engine_clock.h"

#include <condition_variable>
#include <mutex>

CEngineClock::Duration CSteadyClock::Now() const {
  return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch());
}

bool CSteadyClock::SleepFor(Duration period, std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  wake.wait_for(lock, stop, period, [] { return false; });
  return !stop.stop_requested();
}
