#pragma once
// Enumeration of the PC's network adapters for libHostNics.so: interfaces and
// their IPv4 addresses from getifaddrs, the physical-adapter filter, gateways
// from the routing table, DNS servers from resolv.conf and descriptions from
// the udev database. The paths are parameters so tests can point them at a
// fake tree. Pure functions; the library serialises the calls.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ScannedAddress {
  uint32_t ip = 0;    // network byte order
  uint32_t mask = 0;  // network byte order
};

struct ScannedAdapter {
  std::string name;
  unsigned index = 0;
  std::vector<uint8_t> hardware_address;
  std::vector<ScannedAddress> addresses;
};

struct ScanPaths {
  std::string sys_class_net = "/sys/class/net";
  std::string route_table = "/proc/net/route";
  std::string resolv_conf = "/etc/resolv.conf";
  std::string udev_data = "/run/udev/data";
};

// Every interface with its addresses, in the order the system lists them.
// False when the system's interface list cannot be read.
bool ScanInterfaces(std::vector<ScannedAdapter>& adapters);

// True when the interface's device sits below a PCI or USB bus, or when its
// name is one of the comma-separated names in `includeList` (HOSTNICS_INCLUDE).
bool IsPhysicalAdapter(const std::string& name, const std::string& includeList,
                       const ScanPaths& paths);

// The gateways of the interface's routes, in table order (network byte order).
std::vector<uint32_t> ReadGateways(const std::string& name, const ScanPaths& paths);

// The first gateway that shares the address's subnet under its mask, or 0.
uint32_t GatewayForAddress(const ScannedAddress& address, const std::vector<uint32_t>& gateways);

// The first two IPv4 name servers (empty texts when missing).
std::pair<std::string, std::string> ReadDnsServers(const ScanPaths& paths);

// The hardware database's model name (with its vendor) for the interface,
// else the interface name.
std::string AdapterDescription(const std::string& name, unsigned index, const ScanPaths& paths);

std::string Ipv4Text(uint32_t networkOrder);
