#include "hostnics/adapter_scan.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

ScannedAdapter& AdapterNamed(std::vector<ScannedAdapter>& adapters, const char* name) {
  for (auto& adapter : adapters) {
    if (adapter.name == name) return adapter;
  }
  ScannedAdapter& added = adapters.emplace_back();
  added.name = name;
  added.index = if_nametoindex(name);
  return added;
}

std::string ReadLink(const fs::path& link) {
  std::error_code error;
  const fs::path target = fs::read_symlink(link, error);
  return error ? std::string() : target.filename().string();
}

bool ListContains(const std::string& list, const std::string& name) {
  std::stringstream stream(list);
  std::string item;
  while (std::getline(stream, item, ',')) {
    const auto first = item.find_first_not_of(" \t");
    const auto last = item.find_last_not_of(" \t");
    if (first != std::string::npos && item.substr(first, last - first + 1) == name) return true;
  }
  return false;
}

}  // namespace

std::string Ipv4Text(uint32_t networkOrder) {
  in_addr address{};
  address.s_addr = networkOrder;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

bool ScanInterfaces(std::vector<ScannedAdapter>& adapters) {
  adapters.clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (const ifaddrs* item = list; item != nullptr; item = item->ifa_next) {
    if (item->ifa_name == nullptr || item->ifa_addr == nullptr) continue;
    const int family = item->ifa_addr->sa_family;
    if (family == AF_PACKET) {
      ScannedAdapter& adapter = AdapterNamed(adapters, item->ifa_name);
      const auto* link = reinterpret_cast<const sockaddr_ll*>(item->ifa_addr);
      const std::size_t length = std::min<std::size_t>(link->sll_halen, 8);
      adapter.hardware_address.assign(link->sll_addr, link->sll_addr + length);
    } else if (family == AF_INET) {
      ScannedAdapter& adapter = AdapterNamed(adapters, item->ifa_name);
      ScannedAddress address;
      address.ip = reinterpret_cast<const sockaddr_in*>(item->ifa_addr)->sin_addr.s_addr;
      if (item->ifa_netmask != nullptr) {
        address.mask = reinterpret_cast<const sockaddr_in*>(item->ifa_netmask)->sin_addr.s_addr;
      }
      adapter.addresses.push_back(address);
    }
  }
  freeifaddrs(list);
  return true;
}

bool IsPhysicalAdapter(const std::string& name, const std::string& includeList,
                       const ScanPaths& paths) {
  if (!includeList.empty() && ListContains(includeList, name)) return true;
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
    return false;
  }
  std::error_code error;
  const fs::path device = fs::canonical(fs::path(paths.sys_class_net) / name / "device", error);
  if (error) return false;
  // Virtual devices have no bus; a real one has a PCI or USB device among its
  // ancestors (virtio-net hangs below its PCI function).
  for (fs::path at = device; at.has_relative_path() && at != at.root_path(); at = at.parent_path()) {
    const std::string bus = ReadLink(at / "subsystem");
    if (bus == "pci" || bus == "usb") return true;
    if (at.filename() == "devices") break;
  }
  return false;
}

std::vector<uint32_t> ReadGateways(const std::string& name, const ScanPaths& paths) {
  std::vector<uint32_t> gateways;
  std::ifstream table(paths.route_table);
  std::string line;
  std::getline(table, line);  // column titles
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string iface, destination, gateway, flags;
    if (!(fields >> iface >> destination >> gateway >> flags) || iface != name) continue;
    constexpr unsigned long kRouteGateway = 0x2;
    unsigned long gatewayValue = 0, flagsValue = 0;
    try {
      gatewayValue = std::stoul(gateway, nullptr, 16);
      flagsValue = std::stoul(flags, nullptr, 16);
    } catch (...) {
      continue;
    }
    // The table prints the address as the host's view of a network-order word.
    const auto value = static_cast<uint32_t>(gatewayValue);
    if ((flagsValue & kRouteGateway) == 0 || value == 0) continue;
    if (std::find(gateways.begin(), gateways.end(), value) == gateways.end()) {
      gateways.push_back(value);
    }
  }
  return gateways;
}

uint32_t GatewayForAddress(const ScannedAddress& address, const std::vector<uint32_t>& gateways) {
  for (uint32_t gateway : gateways) {
    if ((gateway & address.mask) == (address.ip & address.mask)) return gateway;
  }
  return 0;
}

std::pair<std::string, std::string> ReadDnsServers(const ScanPaths& paths) {
  std::vector<std::string> servers;
  std::ifstream file(paths.resolv_conf);
  std::string line;
  while (servers.size() < 2 && std::getline(file, line)) {
    std::istringstream fields(line);
    std::string keyword, value;
    if (!(fields >> keyword >> value) || keyword != "nameserver") continue;
    in_addr parsed{};
    if (inet_pton(AF_INET, value.c_str(), &parsed) == 1) servers.push_back(Ipv4Text(parsed.s_addr));
  }
  servers.resize(2);
  return {servers[0], servers[1]};
}

std::string AdapterDescription(const std::string& name, unsigned index, const ScanPaths& paths) {
  std::ifstream data(paths.udev_data + "/n" + std::to_string(index));
  std::string line, vendor, model;
  while (std::getline(data, line)) {
    if (line.rfind("E:ID_MODEL_FROM_DATABASE=", 0) == 0) model = line.substr(25);
    if (line.rfind("E:ID_VENDOR_FROM_DATABASE=", 0) == 0) vendor = line.substr(26);
  }
  if (model.empty()) return name;
  return vendor.empty() ? model : vendor + " " + model;
}
