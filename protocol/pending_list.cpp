#include "protocol/pending_list.h"

#include <algorithm>

std::string CPendingList::KeyOf(const std::string& ip, const std::string& mac, uint16_t type) {
  return ip + '/' + mac + '/' + std::to_string(type);
}

void CPendingList::Add(PendingCommand command) {
  std::lock_guard lock(mutex_);
  const std::string key = KeyOf(command.ip, command.mac, command.type);
  commands_.push_back(std::move(command));
  by_key_[key].push_back(std::prev(commands_.end()));
}

bool CPendingList::Acknowledge(const std::string& ip, const std::string& mac, uint16_t type) {
  std::lock_guard lock(mutex_);
  auto found = by_key_.find(KeyOf(ip, mac, type));
  if (found == by_key_.end()) return false;
  EraseLocked(found->second.front());
  return true;
}

void CPendingList::Pass(const std::function<void(const PendingCommand&)>& resend) {
  std::lock_guard lock(mutex_);
  for (auto at = commands_.begin(); at != commands_.end();) {
    const auto next = std::next(at);
    if (at->retries_left > 0) {
      --at->retries_left;
      resend(*at);
    } else {
      EraseLocked(at);
    }
    at = next;
  }
}

void CPendingList::Clear() {
  std::lock_guard lock(mutex_);
  commands_.clear();
  by_key_.clear();
}

std::size_t CPendingList::Size() const {
  std::lock_guard lock(mutex_);
  return commands_.size();
}

std::vector<PendingCommand> CPendingList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return {commands_.begin(), commands_.end()};
}

void CPendingList::EraseLocked(Commands::iterator at) {
  auto found = by_key_.find(KeyOf(at->ip, at->mac, at->type));
  if (found != by_key_.end()) {
    auto& same = found->second;
    const auto listed = std::find(same.begin(), same.end(), at);
    if (listed != same.end()) same.erase(listed);
    if (same.empty()) by_key_.erase(found);
  }
  commands_.erase(at);
}
