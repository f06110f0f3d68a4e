#include "protocol/adapter_address_list.h"

#include <algorithm>

#include "protocol/subnet.h"

namespace {

std::vector<AdapterAddress> AddressesOf(const std::vector<HostNicsInfo>& adapters) {
  std::vector<AdapterAddress> addresses;
  for (const HostNicsInfo& adapter : adapters) {
    const int count = std::clamp(adapter.address_count, 0, kHostNicMaxAddresses);
    for (int i = 0; i < count; ++i) {
      const HostNicAddress& address = adapter.addresses[i];
      addresses.push_back({AreaText(address.ip, sizeof address.ip),
                           AreaText(address.mask, sizeof address.mask),
                           AreaText(address.gateway, sizeof address.gateway)});
    }
  }
  return addresses;
}

}  // namespace

void CAdapterAddressList::Merge(const std::vector<HostNicsInfo>& adapters) {
  const std::vector<AdapterAddress> current = AddressesOf(adapters);
  auto held = [&current](const std::string& ip) {
    return std::any_of(current.begin(), current.end(),
                       [&ip](const AdapterAddress& address) { return address.ip == ip; });
  };
  std::lock_guard lock(mutex_);
  std::erase_if(addresses_, [&held](const AdapterAddress& address) { return !held(address.ip); });
  for (const AdapterAddress& address : current) {
    const bool listed = std::any_of(addresses_.begin(), addresses_.end(),
                                    [&address](const AdapterAddress& known) { return known.ip == address.ip; });
    if (!listed) addresses_.push_back(address);
  }
}

std::optional<std::string> CAdapterAddressList::LocalAddressFor(const std::string& deviceIp) const {
  std::lock_guard lock(mutex_);
  for (const AdapterAddress& address : addresses_) {
    if (!address.ip.empty() && IsInSameSubnet(address.ip, address.mask, deviceIp)) return address.ip;
  }
  return std::nullopt;
}

std::vector<AdapterAddress> CAdapterAddressList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return addresses_;
}

void CAdapterAddressList::Clear() {
  std::lock_guard lock(mutex_);
  addresses_.clear();
}
