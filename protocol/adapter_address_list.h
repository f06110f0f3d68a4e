#pragma once
// CAdapterAddressList: the PC's IPv4 addresses in the order first seen, from
// which the engine picks the local address for each device. Older addresses
// come first, so of two local addresses in a device's subnet the older wins.
//
// Thread safety: every member takes the list's lock for its whole run.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hostnics/host_nics_info.h"

struct AdapterAddress {
  std::string ip;
  std::string mask;
  std::string gateway;
};

class CAdapterAddressList {
 public:
  // Removes the addresses no adapter holds any more, then appends the new
  // ones in adapter and address order.
  void Merge(const std::vector<HostNicsInfo>& adapters);
  // The first address whose subnet holds the device.
  std::optional<std::string> LocalAddressFor(const std::string& deviceIp) const;
  std::vector<AdapterAddress> Snapshot() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<AdapterAddress> addresses_;
};
