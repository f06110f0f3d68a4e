#include "protocol/subnet.h"

#include <algorithm>
#include <cstring>

#include "store/device_text.h"

namespace {

bool IsUnset(std::string_view ip) { return ip.empty() || ip == "0.0.0.0"; }

uint32_t Number(std::string_view ip) {
  const IpBytes bytes = ParseIpText(ip);
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         bytes[3];
}

std::string Text(uint32_t number) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(number >> 24), static_cast<uint8_t>(number >> 16),
                            static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
  return IpText(bytes);
}

}  // namespace

std::string AreaText(const char* area, std::size_t size) { return {area, strnlen(area, size)}; }

bool IsInSameSubnet(std::string_view adapterIp, std::string_view mask, std::string_view deviceIp) {
  if (adapterIp == "0.0.0.0" || IsUnset(deviceIp) || IsUnset(mask)) return false;
  const uint32_t maskNumber = Number(mask);
  return (Number(adapterIp) & maskNumber) == (Number(deviceIp) & maskNumber);
}

std::vector<std::string> DirectedBroadcasts(const std::vector<HostNicsInfo>& adapters) {
  std::vector<std::string> broadcasts;
  for (const HostNicsInfo& adapter : adapters) {
    const int count = std::clamp(adapter.address_count, 0, kHostNicMaxAddresses);
    for (int i = 0; i < count; ++i) {
      const std::string ip = AreaText(adapter.addresses[i].ip, sizeof adapter.addresses[i].ip);
      const std::string mask = AreaText(adapter.addresses[i].mask, sizeof adapter.addresses[i].mask);
      if (IsUnset(ip) || IsUnset(mask)) continue;
      const std::string broadcast = Text(Number(ip) | ~Number(mask));
      if (std::find(broadcasts.begin(), broadcasts.end(), broadcast) == broadcasts.end()) {
        broadcasts.push_back(broadcast);
      }
    }
  }
  return broadcasts;
}
