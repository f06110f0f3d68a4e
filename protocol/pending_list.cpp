#include "protocol/pending_list.h"

void CPendingList::Add(PendingCommand command) {
  std::lock_guard lock(mutex_);
  commands_.push_back(std::move(command));
}

bool CPendingList::Acknowledge(const std::string& ip, const std::string& mac, uint16_t type) {
  std::lock_guard lock(mutex_);
  for (auto at = commands_.begin(); at != commands_.end(); ++at) {
    if (at->type == type && at->ip == ip && at->mac == mac) {
      commands_.erase(at);
      return true;
    }
  }
  return false;
}

void CPendingList::Pass(const std::function<void(const PendingCommand&)>& resend) {
  std::lock_guard lock(mutex_);
  for (auto at = commands_.begin(); at != commands_.end();) {
    if (at->retries_left > 0) {
      --at->retries_left;
      resend(*at);
      ++at;
    } else {
      at = commands_.erase(at);
    }
  }
}

void CPendingList::Clear() {
  std::lock_guard lock(mutex_);
  commands_.clear();
}

std::size_t CPendingList::Size() const {
  std::lock_guard lock(mutex_);
  return commands_.size();
}

std::vector<PendingCommand> CPendingList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return {commands_.begin(), commands_.end()};
}
