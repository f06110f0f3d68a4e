#include "forms/rules/address_walk.h"

#include <algorithm>
#include <cstdint>

#include "forms/rules/address_rules.h"

namespace {

IpBytes AddressFromNumber(uint32_t number) {
  return {static_cast<uint8_t>(number >> 24), static_cast<uint8_t>(number >> 16),
          static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
}

}  // namespace

std::vector<IpBytes> AddressesForDevices(const IpBytes& first, const IpBytes& last,
                                         std::size_t deviceCount) {
  if (deviceCount == 0) return {};
  if (deviceCount == 1) return {first};
  const uint32_t begin = AddressNumber(first);
  const uint32_t end = AddressNumber(last);
  std::vector<IpBytes> addresses;
  if (end < begin) return addresses;
  addresses.reserve(std::min<uint64_t>(deviceCount, uint64_t{end} - begin + 1));
  // 64-bit so that a range ending at 255.255.255.255 still ends.
  for (uint64_t number = begin; number <= end && addresses.size() < deviceCount; ++number) {
    const auto lastOctet = static_cast<uint8_t>(number);
    if (lastOctet == 0 || lastOctet == 255) continue;
    addresses.push_back(AddressFromNumber(static_cast<uint32_t>(number)));
  }
  return addresses;
}
