#pragma once
// The simulated devices: generated from a seed, or read from a device file
// whose entries override the generated fields they name.
//
// A device file holds one "[device]" section per device with "key = value"
// lines; blank lines and lines starting with '#' or ';' are ignored. Keys:
// mac, ip, mask, gateway, model (code or model name), name, ssid, version,
// up_time, work_mode, channel, secure_mode, psk, bridge_ssid, vlan_id,
// bridge_transparent, tdma, short_announcement, silent, reported_ip,
// factory_ip (the address a factory reset brings back), neighbours (site
// survey size), refuse and ignore (comma-separated message types, by name or
// number, the device refuses with result 1 or leaves unanswered).
// Texts are UTF-8 and cut at a character boundary to their area.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/sim_device.h"

struct PopulationPlan {
  uint64_t seed = 1;
  std::size_t count = 1;
  Ipv4 firstIp{10, 77, 1, 1};
  Ipv4 mask{255, 255, 0, 0};
  Ipv4 gateway{10, 77, 0, 254};
  std::vector<uint16_t> models;  // empty: every model code
};

// Every model code the devices come in.
const std::vector<uint16_t>& AllModelCodes();

// Device `index` of the seed: the same whatever the count, so a file can
// override a few fields of it. Addresses count up from firstIp, skipping last
// octets 0 and 255; MACs are unique locally administered addresses.
SimDevice GenerateDevice(const PopulationPlan& plan, std::size_t index);
std::vector<SimDevice> GeneratePopulation(const PopulationPlan& plan);

// The address of device `index`, counted from firstIp as GenerateDevice does.
Ipv4 GeneratedAddress(const Ipv4& firstIp, std::size_t index);

// Reads a device file. Returns false and sets `error` (with the line number)
// on an unreadable file, an unknown key or a bad value.
bool LoadPopulationFile(const std::filesystem::path& path, const PopulationPlan& plan,
                        std::vector<SimDevice>& devices, std::string& error);
bool ParsePopulationText(const std::string& text, const PopulationPlan& plan,
                         std::vector<SimDevice>& devices, std::string& error);

// A message type by its protocol name ("set_ip") or number; 0 for neither.
uint16_t ParseMessageType(const std::string& text);
bool ParseIpv4(const std::string& text, Ipv4& ip);
bool ParseMacAddress(const std::string& text, MacAddress& mac);
std::string Ipv4Text(const Ipv4& ip);
std::string MacAddressText(const MacAddress& mac);
