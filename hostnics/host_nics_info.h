#pragma once
// The adapter record that libHostNics.so hands out: one physical network
// adapter with up to ten IPv4 addresses, linked into a list. Shared by the
// library and its callers as a plain C layout; nothing else is shared.

#include <cstddef>
#include <cstdint>

inline constexpr int kHostNicMaxAddresses = 10;

struct HostNicAddress {
  char ip[16];       // dotted text, "0.0.0.0" for an adapter without an address
  char mask[16];
  char gateway[16];  // the first gateway in this address's subnet, else empty
};

struct HostNicsInfo {
  uint8_t valid;                // 1 for an adapter; 0 in the placeholder record
  uint8_t hardware_address[8];  // the adapter's address bytes, rest zero
  char description[132];
  char adapter_name[260];       // the interface name
  uint8_t reserved_401[3];
  int32_t address_count;        // at most kHostNicMaxAddresses
  HostNicAddress addresses[kHostNicMaxAddresses];
  char dns1[16];
  char dns2[16];
  HostNicsInfo* next;           // null in the last record
};

static_assert(sizeof(HostNicAddress) == 48);
static_assert(offsetof(HostNicsInfo, valid) == 0);
static_assert(offsetof(HostNicsInfo, hardware_address) == 1);
static_assert(offsetof(HostNicsInfo, description) == 9);
static_assert(offsetof(HostNicsInfo, adapter_name) == 141);
static_assert(offsetof(HostNicsInfo, address_count) == 404);
static_assert(offsetof(HostNicsInfo, addresses) == 408);
static_assert(offsetof(HostNicsInfo, dns1) == 888);
static_assert(offsetof(HostNicsInfo, dns2) == 904);
static_assert(offsetof(HostNicsInfo, next) == 920);
// 924 bytes with a 4-byte pointer; the 8-byte pointer of x86-64 makes it 928.
static_assert(sizeof(void*) != 8 || sizeof(HostNicsInfo) == 928);

// The two exports, resolved by name with dlsym.
extern "C" {
using GetHostNicsInfoFunction = HostNicsInfo* (*)();
using ClearHostNicsInfoFunction = int (*)();
}
inline constexpr const char* kHostNicsLibraryName = "libHostNics.so";
inline constexpr const char* kGetHostNicsInfoName = "GetHostNicsInfo";
inline constexpr const char* kClearHostNicsInfoName = "ClearHostNicsInfo";
