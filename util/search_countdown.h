#pragma once
// The countdown of the dialogs that wait while devices restart or change
// address: a tick every 500 ms from 1 up to the total, and, when searches are
// wanted, the last ones six ticks apart ending on the last tick, with the
// announced devices released just before the first of them (15 s with three
// searches: release and search at tick 18, search at 24 and 30).
// The engine is reached through the two callables, so the owner works with
// any engine and a test can count the calls. A plain value; the owner's
// thread.

#include <functional>

struct CountdownEngine {
  std::function<void()> releaseAnnounced;
  std::function<void()> searchDevices;
};

class SearchCountdown {
 public:
  static constexpr int kTickMs = 500;
  static constexpr int kTicksBetweenSearches = 6;

  SearchCountdown(int seconds, bool searchWanted, int searches, CountdownEngine engine);

  // Starts again from tick 1 with every search still to come.
  void Reset();
  // Moves one tick on and makes the release and the search that fall on it.
  // True on the last tick; nothing happens after it.
  bool Advance();

  int CurrentTick() const { return tick_; }
  int TotalTicks() const { return total_; }
  int SearchesLeft() const { return searchesLeft_; }
  bool IsFinished() const { return finished_; }

 private:
  CountdownEngine engine_;
  int total_;
  bool searchWanted_;
  int searches_;
  int tick_ = 1;
  int searchesLeft_;
  bool finished_ = false;
};
