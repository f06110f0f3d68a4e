#pragma once
// CReceiveQueue: the bounded first-in first-out queue between one receive
// thread and its worker. Records past the capacity are dropped and counted, so
// a flood of datagrams cannot exhaust memory.
//
// Thread safety: any number of producers and one consumer; Stop wakes the
// consumer, after which Take returns false.

#include <netinet/in.h>

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "protocol/datagram.h"

// One accepted datagram: the sender's address and the datagram, zero-filled
// to the full datagram size so that readers past its end read zeros.
struct QueueRecord {
  sockaddr_in sender{};
  std::array<uint8_t, kMaxDatagramSize> datagram{};
  std::size_t length = 0;  // bytes received
};

// Holds a burst of 10,000 devices answering at once, while a flood can take
// at most about 24 MiB per queue.
inline constexpr std::size_t kDefaultQueueCapacity = 16384;

class CReceiveQueue {
 public:
  explicit CReceiveQueue(std::size_t capacity = kDefaultQueueCapacity);

  // False (and counted as dropped) when the queue is full or stopped.
  bool Push(const QueueRecord& record);
  // Waits until records are queued or Stop is called, then moves every queued
  // record into `records` (emptied first). False once stopped.
  bool TakeAll(std::deque<QueueRecord>& records);
  void Stop();
  // Makes a stopped queue usable again, empty.
  void Reset();

  std::size_t Dropped() const;
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<QueueRecord> records_;
  std::size_t capacity_;
  std::size_t dropped_ = 0;
  bool stopped_ = false;
};
