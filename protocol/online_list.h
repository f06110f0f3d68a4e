#pragma once
// COnlineList: the devices the engine has seen, in the order first seen, with
// the state of each. Entries are keyed by MAC text.
//
// Thread safety: every member takes the list's own lock for its whole run and
// returns copies; callers never hold a reference into the list, and the list
// never calls out (no sends, no store calls) while locked. A full list takes
// no new devices, so a flood of made-up announcements cannot exhaust memory.

#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "protocol/device_entry.h"

inline constexpr std::size_t kDefaultOnlineCapacity = 65536;

struct AnnounceOutcome {
  bool listed = false;  // false when the list was full and the device is new
  // The device has a reported entry under the sender's address and no report
  // is due since a set_ip moved it: it needs no new info request.
  bool known = false;
};

struct ReportFields {
  std::string mac;
  std::string ip;  // the address the report names
  uint16_t model = 0;
  uint32_t up_time = 0;
  TextArea version{};
  uint8_t bridge_transparent = 0;
  uint8_t tdmaEn = 0;
};

class COnlineList {
 public:
  explicit COnlineList(std::size_t capacity = kDefaultOnlineCapacity);

  // An announcement: a listed device gets the model, full age and version of
  // `announced`; a new one is appended as `announced` describes it.
  AnnounceOutcome Announce(const DeviceEntry& announced);
  // A full report is accepted when its device is listed and no other reported
  // entry holds the address it names; the entry becomes reported.
  bool AcceptReport(const ReportFields& report);
  // A keepalive refreshes a listed device (age, up time, version, address).
  bool Keepalive(const std::string& mac, const std::string& senderIp, uint32_t upTime,
                 const TextArea& version);

  // Before a set_ip: the reported entry of `mac` at `currentIp` remembers
  // `newIp` (forgets any earlier one when the address stays). False when no
  // such entry exists.
  bool FollowIpChange(const std::string& mac, const std::string& currentIp,
                      const std::string& newIp);
  // The set_ip answer from `senderIp`: the device's entry at that address moves
  // to the address it remembered. True when it moved.
  bool ConfirmIpChange(const std::string& mac, const std::string& senderIp);

  // One ageing step: reported entries lose one unit of age, entries at age 0
  // are removed; returns the removed devices.
  std::vector<DeviceAddress> AgeingPass();
  void DropAnnounced();
  void Clear();

  std::vector<DeviceAddress> Announced() const;
  std::vector<DeviceAddress> Addresses() const;
  std::unordered_set<std::string> Macs() const;
  std::vector<DeviceEntry> Snapshot() const;
  std::optional<DeviceEntry> Find(const std::string& mac) const;
  std::size_t Size() const;

 private:
  using Entries = std::list<DeviceEntry>;
  void EraseLocked(Entries::iterator at);
  // Every change of a reported entry's address or state goes through these,
  // so the count of reported entries per address stays right.
  void CountReported(const DeviceEntry& entry, int delta);
  bool OtherReportedHolds(const std::string& ip, const DeviceEntry& self) const;

  mutable std::mutex mutex_;
  Entries entries_;
  std::unordered_map<std::string, Entries::iterator> by_mac_;
  std::unordered_map<std::string, std::size_t> reported_by_ip_;
  std::size_t capacity_;
};
