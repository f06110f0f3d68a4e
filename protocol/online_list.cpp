#include "protocol/online_list.h"

COnlineList::COnlineList(std::size_t capacity) : capacity_(capacity) {}

AnnounceOutcome COnlineList::Announce(const DeviceEntry& announced) {
  std::lock_guard lock(mutex_);
  AnnounceOutcome outcome;
  auto found = by_mac_.find(announced.mac);
  if (found != by_mac_.end()) {
    DeviceEntry& entry = *found->second;
    entry.model = announced.model;
    entry.age = kFullAge;
    entry.version = announced.version;
    outcome.listed = true;
    outcome.known =
        entry.state == EntryState::kReported && entry.ip == announced.ip && !entry.report_due;
    return outcome;
  }
  if (entries_.size() >= capacity_) return outcome;
  DeviceEntry& entry = entries_.emplace_back(announced);
  entry.state = EntryState::kAnnounced;
  entry.age = kFullAge;
  by_mac_.emplace(entry.mac, std::prev(entries_.end()));
  outcome.listed = true;
  return outcome;
}

bool COnlineList::AcceptReport(const ReportFields& report) {
  std::lock_guard lock(mutex_);
  auto found = by_mac_.find(report.mac);
  if (found == by_mac_.end()) return false;
  DeviceEntry& entry = *found->second;
  if (OtherReportedHolds(report.ip, entry)) return false;
  CountReported(entry, -1);
  entry.model = report.model;
  entry.state = EntryState::kReported;
  entry.report_due = false;
  entry.up_time = report.up_time;
  entry.ip = report.ip;
  CountReported(entry, +1);
  entry.version = report.version;
  entry.bridge_transparent = report.bridge_transparent;
  entry.tdmaEn = report.tdmaEn;
  return true;
}

bool COnlineList::Keepalive(const std::string& mac, const std::string& senderIp, uint32_t upTime,
                            const TextArea& version) {
  std::lock_guard lock(mutex_);
  auto found = by_mac_.find(mac);
  if (found == by_mac_.end()) return false;
  DeviceEntry& entry = *found->second;
  entry.age = kFullAge;
  entry.up_time = upTime;
  entry.version = version;
  CountReported(entry, -1);
  entry.ip = senderIp;
  CountReported(entry, +1);
  return true;
}

bool COnlineList::FollowIpChange(const std::string& mac, const std::string& currentIp,
                                 const std::string& newIp) {
  std::lock_guard lock(mutex_);
  auto found = by_mac_.find(mac);
  if (found == by_mac_.end()) return false;
  DeviceEntry& entry = *found->second;
  if (entry.state != EntryState::kReported || entry.ip != currentIp) return false;
  entry.new_ip = newIp != currentIp ? newIp : std::string();
  return true;
}

bool COnlineList::ConfirmIpChange(const std::string& mac, const std::string& senderIp) {
  std::lock_guard lock(mutex_);
  auto found = by_mac_.find(mac);
  if (found == by_mac_.end()) return false;
  DeviceEntry& entry = *found->second;
  if (entry.ip != senderIp || entry.new_ip.empty()) return false;
  if (entry.new_ip == entry.ip) {
    entry.new_ip.clear();
    return false;
  }
  CountReported(entry, -1);
  entry.ip = entry.new_ip;
  CountReported(entry, +1);
  entry.new_ip.clear();
  entry.report_due = true;
  return true;
}

std::vector<DeviceAddress> COnlineList::AgeingPass() {
  std::lock_guard lock(mutex_);
  std::vector<DeviceAddress> removed;
  for (auto at = entries_.begin(); at != entries_.end();) {
    auto next = std::next(at);
    if (at->age == 0) {
      removed.push_back({at->ip, at->mac});
      EraseLocked(at);
    } else if (at->state != EntryState::kAnnounced) {
      --at->age;
    }
    at = next;
  }
  return removed;
}

void COnlineList::DropAnnounced() {
  std::lock_guard lock(mutex_);
  for (auto at = entries_.begin(); at != entries_.end();) {
    auto next = std::next(at);
    if (at->state == EntryState::kAnnounced) EraseLocked(at);
    at = next;
  }
}

void COnlineList::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  by_mac_.clear();
  reported_by_ip_.clear();
}

std::vector<DeviceAddress> COnlineList::Announced() const {
  std::lock_guard lock(mutex_);
  std::vector<DeviceAddress> announced;
  for (const DeviceEntry& entry : entries_) {
    if (entry.state == EntryState::kAnnounced) announced.push_back({entry.ip, entry.mac});
  }
  return announced;
}

std::vector<DeviceAddress> COnlineList::Addresses() const {
  std::lock_guard lock(mutex_);
  std::vector<DeviceAddress> addresses;
  addresses.reserve(entries_.size());
  for (const DeviceEntry& entry : entries_) addresses.push_back({entry.ip, entry.mac});
  return addresses;
}

std::unordered_set<std::string> COnlineList::Macs() const {
  std::lock_guard lock(mutex_);
  std::unordered_set<std::string> macs;
  for (const auto& [mac, entry] : by_mac_) macs.insert(mac);
  return macs;
}

std::vector<DeviceEntry> COnlineList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

std::optional<DeviceEntry> COnlineList::Find(const std::string& mac) const {
  std::lock_guard lock(mutex_);
  auto found = by_mac_.find(mac);
  if (found == by_mac_.end()) return std::nullopt;
  return *found->second;
}

std::size_t COnlineList::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void COnlineList::EraseLocked(Entries::iterator at) {
  CountReported(*at, -1);
  by_mac_.erase(at->mac);
  entries_.erase(at);
}

void COnlineList::CountReported(const DeviceEntry& entry, int delta) {
  if (entry.state != EntryState::kReported) return;
  if (delta > 0) {
    ++reported_by_ip_[entry.ip];
    return;
  }
  auto found = reported_by_ip_.find(entry.ip);
  if (found != reported_by_ip_.end() && --found->second == 0) reported_by_ip_.erase(found);
}

bool COnlineList::OtherReportedHolds(const std::string& ip, const DeviceEntry& self) const {
  auto found = reported_by_ip_.find(ip);
  if (found == reported_by_ip_.end()) return false;
  const bool selfCounted = self.state == EntryState::kReported && self.ip == ip;
  return found->second > (selfCounted ? 1u : 0u);
}
