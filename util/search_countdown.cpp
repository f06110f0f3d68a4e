#include "util/search_countdown.h"

#include <algorithm>
#include <utility>

SearchCountdown::SearchCountdown(int seconds, bool searchWanted, int searches,
                                 CountdownEngine engine)
    : engine_(std::move(engine)),
      total_(2 * std::max(0, seconds)),
      searchWanted_(searchWanted),
      searches_(std::max(0, searches)),
      searchesLeft_(searches_) {}

void SearchCountdown::Reset() {
  tick_ = 1;
  searchesLeft_ = searches_;
  finished_ = false;
}

bool SearchCountdown::Advance() {
  if (finished_) return false;
  ++tick_;
  if (searchWanted_ && searchesLeft_ > 0 &&
      tick_ == total_ - kTicksBetweenSearches * (searchesLeft_ - 1)) {
    if (searchesLeft_ == searches_ && engine_.releaseAnnounced) engine_.releaseAnnounced();
    --searchesLeft_;
    if (engine_.searchDevices) engine_.searchDevices();
  }
  finished_ = tick_ >= total_;
  return finished_;
}
