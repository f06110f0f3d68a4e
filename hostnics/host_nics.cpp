// The two exports of libHostNics.so. Every list built is remembered until
// ClearHostNicsInfo, which frees them all, so a caller that calls
// GetHostNicsInfo twice without clearing loses no memory.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "hostnics/adapter_scan.h"
#include "hostnics/host_nics_info.h"

#define HOSTNICS_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_lock;
std::vector<HostNicsInfo*> g_lists;

void CopyText(char* area, std::size_t size, const std::string& text) {
  std::memset(area, 0, size);
  std::memcpy(area, text.data(), std::min(text.size(), size - 1));
}

void FillRecord(HostNicsInfo& record, const ScannedAdapter& adapter, const ScanPaths& paths,
                const std::pair<std::string, std::string>& dns) {
  record.valid = 1;
  std::memcpy(record.hardware_address, adapter.hardware_address.data(),
              std::min<std::size_t>(adapter.hardware_address.size(), sizeof record.hardware_address));
  CopyText(record.description, sizeof record.description,
           AdapterDescription(adapter.name, adapter.index, paths));
  CopyText(record.adapter_name, sizeof record.adapter_name, adapter.name);
  const std::vector<uint32_t> gateways = ReadGateways(adapter.name, paths);
  std::vector<ScannedAddress> addresses = adapter.addresses;
  if (addresses.empty()) addresses.push_back({});  // reads as "0.0.0.0"
  int count = 0;
  for (const ScannedAddress& address : addresses) {
    if (count == kHostNicMaxAddresses) break;
    HostNicAddress& out = record.addresses[count++];
    CopyText(out.ip, sizeof out.ip, Ipv4Text(address.ip));
    CopyText(out.mask, sizeof out.mask, Ipv4Text(address.mask));
    const uint32_t gateway = GatewayForAddress(address, gateways);
    if (gateway != 0) CopyText(out.gateway, sizeof out.gateway, Ipv4Text(gateway));
  }
  record.address_count = count;
  CopyText(record.dns1, sizeof record.dns1, dns.first);
  CopyText(record.dns2, sizeof record.dns2, dns.second);
  record.next = nullptr;
}

void FreeList(HostNicsInfo* head) {
  while (head != nullptr) {
    HostNicsInfo* next = head->next;
    std::free(head);
    head = next;
  }
}

}  // namespace

HOSTNICS_EXPORT HostNicsInfo* GetHostNicsInfo() {
  std::vector<ScannedAdapter> adapters;
  if (!ScanInterfaces(adapters)) return nullptr;
  const ScanPaths paths;
  const char* include = std::getenv("HOSTNICS_INCLUDE");
  const std::string includeList = include != nullptr ? include : "";
  const auto dns = ReadDnsServers(paths);

  auto* head = static_cast<HostNicsInfo*>(std::calloc(1, sizeof(HostNicsInfo)));
  if (head == nullptr) return nullptr;
  HostNicsInfo* last = nullptr;
  for (const ScannedAdapter& adapter : adapters) {
    if (!IsPhysicalAdapter(adapter.name, includeList, paths)) continue;
    HostNicsInfo* record = head;
    if (last != nullptr) {
      record = static_cast<HostNicsInfo*>(std::calloc(1, sizeof(HostNicsInfo)));
      if (record == nullptr) break;
      last->next = record;
    }
    FillRecord(*record, adapter, paths, dns);
    last = record;
  }
  std::lock_guard lock(g_lock);
  g_lists.push_back(head);
  return head;
}

HOSTNICS_EXPORT int ClearHostNicsInfo() {
  std::lock_guard lock(g_lock);
  for (HostNicsInfo* head : g_lists) FreeList(head);
  g_lists.clear();
  return 1;
}
