#include "protocol/receive_queue.h"

CReceiveQueue::CReceiveQueue(std::size_t capacity) : capacity_(capacity) {}

bool CReceiveQueue::Push(const QueueRecord& record) {
  {
    std::lock_guard lock(mutex_);
    if (stopped_ || records_.size() >= capacity_) {
      ++dropped_;
      return false;
    }
    records_.push_back(record);
  }
  ready_.notify_one();
  return true;
}

bool CReceiveQueue::TakeAll(std::deque<QueueRecord>& records) {
  records.clear();
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [this] { return stopped_ || !records_.empty(); });
  if (stopped_) return false;
  records.swap(records_);
  return true;
}

void CReceiveQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  ready_.notify_all();
}

void CReceiveQueue::Reset() {
  std::lock_guard lock(mutex_);
  stopped_ = false;
  records_.clear();
}

std::size_t CReceiveQueue::Dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

std::size_t CReceiveQueue::Size() const {
  std::lock_guard lock(mutex_);
  return records_.size();
}
