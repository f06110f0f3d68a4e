#pragma once
// Test doubles for the device engine: a transport that records every datagram
// sent and delivers made-up ones, a manual clock, a made-up adapter list, and
// builders for the devices' datagrams.

#include <arpa/inet.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "hostnics/host_nics_info.h"
#include "protocol/adapter_source.h"
#include "protocol/datagram.h"
#include "protocol/datagram_transport.h"
#include "protocol/engine_clock.h"
#include "store/device_text.h"

inline sockaddr_in Address(const std::string& ip, uint16_t port = 9788) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  inet_pton(AF_INET, ip.c_str(), &address.sin_addr);
  return address;
}

struct SentDatagram {
  bool search = false;  // from the search socket; else from an adapter address
  std::string address;  // destination of a search, local address of a device send
  std::vector<uint8_t> bytes;
  CEngineClock::Duration at{};
  DatagramHeader Header() const { return DecodeHeader(bytes); }
  std::string Mac() const { return MacText(Header().mac.data()); }
};

// Time moves only when the test says so. Sleepers wake when it passes their
// deadline; WaitForSleepers tells when the timed threads have finished their
// passes and sleep again.
class CManualClock final : public CEngineClock {
 public:
  Duration Now() const override {
    std::lock_guard lock(mutex_);
    return now_;
  }
  bool SleepFor(Duration period, std::stop_token stop) override {
    std::unique_lock lock(mutex_);
    const Duration deadline = now_ + period;
    auto mine = deadlines_.insert(deadline);
    changed_.notify_all();
    changed_.wait(lock, stop, [&] { return now_ >= deadline; });
    deadlines_.erase(mine);
    changed_.notify_all();
    return !stop.stop_requested();
  }
  void Advance(Duration by) {
    std::lock_guard lock(mutex_);
    now_ += by;
    changed_.notify_all();
  }
  // True once `count` threads sleep towards a time still ahead.
  bool WaitForSleepers(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
      return static_cast<std::size_t>(std::distance(deadlines_.upper_bound(now_), deadlines_.end())) >= count;
    });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable_any changed_;
  Duration now_{0};
  std::multiset<Duration> deadlines_;
};

class CFakeTransport final : public CDatagramTransport {
 public:
  explicit CFakeTransport(std::shared_ptr<CEngineClock> clock = nullptr) : clock_(std::move(clock)) {}

  bool Open() override {
    std::lock_guard lock(mutex_);
    shut_ = false;
    return open_result_;
  }
  void Shutdown() override {
    std::lock_guard lock(mutex_);
    shut_ = true;
    arrived_.notify_all();
  }
  void Close() override {}
  long Receive(EngineSocket socket, std::span<uint8_t> buffer, sockaddr_in& sender) override {
    std::unique_lock lock(mutex_);
    auto& queue = inbox_[socket];
    arrived_.wait(lock, [&] { return shut_ || !queue.empty(); });
    if (shut_) return 0;
    auto [bytes, from] = std::move(queue.front());
    queue.pop_front();
    const std::size_t copied = std::min(bytes.size(), buffer.size());
    std::memcpy(buffer.data(), bytes.data(), copied);
    sender = from;
    return static_cast<long>(bytes.size());
  }
  bool SendSearch(const std::string& destinationIp, std::span<const uint8_t> datagram) override {
    return Record(true, destinationIp, datagram);
  }
  bool SendFromAdapter(const std::string& localIp, std::span<const uint8_t> datagram) override {
    return Record(false, localIp, datagram);
  }

  // Hands a datagram to the engine's receive thread for `socket`.
  void Deliver(EngineSocket socket, std::vector<uint8_t> bytes, const sockaddr_in& from) {
    std::lock_guard lock(mutex_);
    inbox_[socket].emplace_back(std::move(bytes), from);
    arrived_.notify_all();
  }
  void FailOpen() {
    std::lock_guard lock(mutex_);
    open_result_ = false;
  }
  void FailSends(bool fail) {
    std::lock_guard lock(mutex_);
    fail_sends_ = fail;
  }
  std::vector<SentDatagram> Sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
  }
  std::vector<SentDatagram> SentOfType(uint16_t type) const {
    std::vector<SentDatagram> matching;
    for (const SentDatagram& datagram : Sent()) {
      if (datagram.Header().type == type) matching.push_back(datagram);
    }
    return matching;
  }
  void ClearSent() {
    std::lock_guard lock(mutex_);
    sent_.clear();
  }

 private:
  bool Record(bool search, const std::string& address, std::span<const uint8_t> datagram) {
    const CEngineClock::Duration at = clock_ ? clock_->Now() : CEngineClock::Duration{};
    std::lock_guard lock(mutex_);
    if (fail_sends_) return false;
    sent_.push_back({search, address, {datagram.begin(), datagram.end()}, at});
    return true;
  }

  std::shared_ptr<CEngineClock> clock_;
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::map<EngineSocket, std::deque<std::pair<std::vector<uint8_t>, sockaddr_in>>> inbox_;
  std::vector<SentDatagram> sent_;
  bool shut_ = false;
  bool open_result_ = true;
  bool fail_sends_ = false;
};

// Made-up adapters; the test changes them between refreshes.
class CFakeAdapterSource final : public CAdapterSource {
 public:
  struct Adapter {
    std::string name;
    std::vector<std::pair<std::string, std::string>> addresses;  // ip, mask
    uint8_t valid = 1;
  };
  explicit CFakeAdapterSource(std::vector<Adapter> adapters = {}) : adapters_(std::move(adapters)) {}

  void Set(std::vector<Adapter> adapters) {
    std::lock_guard lock(mutex_);
    adapters_ = std::move(adapters);
  }
  std::vector<HostNicsInfo> Read() override {
    std::lock_guard lock(mutex_);
    std::vector<HostNicsInfo> records;
    if (!loaded_) return records;
    for (const Adapter& adapter : adapters_) {
      HostNicsInfo& record = records.emplace_back();
      std::memset(&record, 0, sizeof record);
      record.valid = adapter.valid;
      std::strncpy(record.adapter_name, adapter.name.c_str(), sizeof record.adapter_name - 1);
      for (const auto& [ip, mask] : adapter.addresses) {
        HostNicAddress& address = record.addresses[record.address_count++];
        std::strncpy(address.ip, ip.c_str(), sizeof address.ip - 1);
        std::strncpy(address.mask, mask.c_str(), sizeof address.mask - 1);
      }
    }
    return records;
  }
  bool IsLoaded() const override {
    std::lock_guard lock(mutex_);
    return loaded_;
  }
  void Unload() override {
    std::lock_guard lock(mutex_);
    loaded_ = false;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Adapter> adapters_;
  bool loaded_ = true;
};

// Device datagrams.
inline std::vector<uint8_t> DeviceDatagram(uint16_t type, const std::string& mac,
                                           std::vector<uint8_t> payload, uint16_t model = 0) {
  std::vector<uint8_t> bytes(kDatagramHeaderSize + payload.size());
  EncodeDatagram(payload, mac, type, false, bytes);
  bytes[2] = static_cast<uint8_t>(model);
  bytes[3] = static_cast<uint8_t>(model >> 8);
  return bytes;
}

inline void PutText(std::vector<uint8_t>& payload, std::size_t at, const std::string& text) {
  std::memcpy(payload.data() + at, text.data(), std::min<std::size_t>(text.size(), 32));
  payload[at + 32] = static_cast<uint8_t>(text.size());
}

inline void PutU32(std::vector<uint8_t>& payload, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) payload[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct AnnouncementFields {
  std::string version = "V2.1.0";
  uint8_t work_mode = 1;
  uint32_t up_time = 100;
  std::string name = "roof";
  std::string ssid = "link";
  uint8_t channel = 36;
};

inline std::vector<uint8_t> Announcement(const std::string& mac, uint16_t model = 1,
                                         const AnnouncementFields& fields = {},
                                         std::size_t length = 109) {
  std::vector<uint8_t> payload(std::max<std::size_t>(length, 109));
  PutText(payload, 0, fields.version);
  payload[33] = fields.work_mode;
  PutU32(payload, 36, fields.up_time);
  PutText(payload, 40, fields.name);
  PutText(payload, 73, fields.ssid);
  payload[106] = fields.channel;
  payload[107] = 1;
  payload[108] = 1;
  payload.resize(length);
  return DeviceDatagram(kMsgDiscover, mac, payload, model);
}

// A full report naming `ip` as the device's address.
inline std::vector<uint8_t> Report(const std::string& mac, const std::string& ip, uint16_t model = 1,
                                   const std::string& name = "roof", uint32_t upTime = 200) {
  std::vector<uint8_t> payload(756);
  const IpBytes address = ParseIpText(ip);
  payload[8] = 1;  // ip_mode
  std::memcpy(payload.data() + 9, address.data(), 4);
  const IpBytes mask = ParseIpText("255.255.255.0");
  std::memcpy(payload.data() + 13, mask.data(), 4);
  PutU32(payload, 4, upTime);
  PutText(payload, 30, name);
  PutText(payload, 63, "V2.1.0");
  PutText(payload, 131, "link");
  payload[106] = 149;  // channel
  payload[742] = 1;
  return DeviceDatagram(kMsgDeviceInfo, mac, payload, model);
}

inline std::vector<uint8_t> Keepalive(const std::string& mac, uint32_t upTime) {
  std::vector<uint8_t> payload(40);
  PutText(payload, 0, "V2.1.1");
  PutU32(payload, 36, upTime);
  return DeviceDatagram(kMsgKeepalive, mac, payload);
}
