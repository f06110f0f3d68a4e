#include "sim/population.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include "protocol/datagram.h"
#include "sim/report_builder.h"

namespace {

// SplitMix64: small, fast and the same on every platform, so a seed gives the
// same devices everywhere.
class SeedStream {
 public:
  explicit SeedStream(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
  uint8_t Byte() { return static_cast<uint8_t>(Next()); }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  uint64_t state_;
};

constexpr const char* kSites[] = {"North Tower", "Rooftop", "Farm Link", "Depot", "Hill",
                                  "北区基站",    "南山中继", "东门网桥",  "仓库二号", "西站接入点"};
constexpr const char* kNetworks[] = {"Outdoor", "Campus", "园区无线", "工地网络", "Backhaul"};
constexpr uint8_t kChannels[] = {0, 1, 6, 11, 13, 36, 40, 44, 48, 149, 153, 157, 161, 165};
constexpr char kKeyCharacters[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string RandomText(SeedStream& rng, std::size_t length, std::string_view alphabet) {
  std::string text(length, ' ');
  for (char& c : text) c = alphabet[rng.Below(static_cast<uint32_t>(alphabet.size()))];
  return text;
}

template <std::size_t N>
void PutText(std::string_view utf8, char (&area)[N], uint8_t& length) {
  PutDeviceText(utf8, std::span<uint8_t>(reinterpret_cast<uint8_t*>(area), N), length);
}

void PutU16At(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32At(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The security block (record offsets 188..450) is used twice: for the
// device's own SSID and, in the same layout, for its bridge link.
void FillSecurityBlock(SeedStream& rng, uint8_t* block) {
  std::memset(block, 0, 263);
  block[0] = static_cast<uint8_t>(rng.Below(7));  // secure_mode
  block[1] = static_cast<uint8_t>(rng.Below(3));  // wpapsk_auth_type
  const std::string psk = RandomText(rng, 8 + rng.Below(56), kKeyCharacters);
  std::memcpy(block + 2, psk.data(), psk.size());
  block[66] = static_cast<uint8_t>(psk.size());
  PutU32At(block + 67, 3600 * (1 + rng.Below(24)));  // wpapsk_key_time
  block[71] = static_cast<uint8_t>(rng.Below(3));    // wep_auth_type
  block[72] = static_cast<uint8_t>(1 + rng.Below(4));  // wep_key_index
  for (int k = 0; k < 4; ++k) {
    uint8_t* key = block + 73 + 28 * k;  // type, 26-byte key, length
    const bool hex = rng.Below(2) == 0;
    const std::size_t length = rng.Below(2) == 0 ? (hex ? 10 : 5) : (hex ? 26 : 13);
    const std::string value = RandomText(rng, length, hex ? kHexDigits : kKeyCharacters);
    key[0] = hex ? 0 : 1;
    std::memcpy(key + 1, value.data(), value.size());
    key[27] = static_cast<uint8_t>(value.size());
  }
  uint8_t* radius = block + 186;  // record offset 374
  radius[0] = 10;
  radius[1] = 77;
  radius[2] = 0;
  radius[3] = static_cast<uint8_t>(10 + rng.Below(200));
  PutU16At(radius + 4, 1812);
  radius[6] = static_cast<uint8_t>(rng.Below(3));  // wpa_auth_type
  const std::string secret = RandomText(rng, 6 + rng.Below(58), kKeyCharacters);
  std::memcpy(radius + 7, secret.data(), secret.size());
  radius[71] = static_cast<uint8_t>(secret.size());
  PutU32At(radius + 72, 600 * (1 + rng.Below(12)));  // wpa_key_time
}

uint32_t IpNumberBigEndian(const Ipv4& ip) {
  return (uint32_t{ip[0]} << 24) | (uint32_t{ip[1]} << 16) | (uint32_t{ip[2]} << 8) | ip[3];
}

Ipv4 IpFromNumber(uint32_t n) {
  return {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
          static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
}

std::string ModelName(uint16_t code) {
  if (code >= 1 && code <= 11) return "KT" + std::to_string(code * 100);
  if (code >= 257 && code <= 267) return "LM" + std::to_string((code - 256) * 10);
  return {};
}

bool ParseUnsigned(std::string_view text, uint32_t max, uint32_t& value) {
  uint32_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v > max) return false;
  value = v;
  return true;
}

bool ParseModel(std::string_view text, uint16_t& model) {
  uint32_t code = 0;
  if (ParseUnsigned(text, 0xffff, code)) {
    model = static_cast<uint16_t>(code);
    return true;
  }
  for (uint16_t candidate : AllModelCodes()) {
    if (ModelName(candidate) == text) {
      model = candidate;
      return true;
    }
  }
  return false;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

void SetIp(SimDevice& device, const Ipv4& ip) { std::memcpy(device.settings.ip, ip.data(), 4); }

void SetMac(SimDevice& device, const MacAddress& mac) {
  device.mac = mac;
  const std::string text = MacAddressText(mac);
  std::memset(device.settings.mac, 0, sizeof device.settings.mac);
  std::memcpy(device.settings.mac, text.data(), text.size());
}

// Applies one "key = value" of a device file. Returns false for an unknown key
// or a bad value.
bool ApplyKey(SimDevice& device, std::string_view key, const std::string& value) {
  ap_info_stu& s = device.settings;
  uint32_t number = 0;
  Ipv4 ip{};
  if (key == "mac") {
    MacAddress mac{};
    if (!ParseMacAddress(value, mac)) return false;
    SetMac(device, mac);
  } else if (key == "ip") {
    if (!ParseIpv4(value, ip)) return false;
    SetIp(device, ip);
  } else if (key == "mask") {
    if (!ParseIpv4(value, ip)) return false;
    std::memcpy(s.ip_mask, ip.data(), 4);
  } else if (key == "gateway") {
    if (!ParseIpv4(value, ip)) return false;
    std::memcpy(s.ip_gateway, ip.data(), 4);
  } else if (key == "reported_ip") {
    if (!ParseIpv4(value, ip)) return false;
    device.reportedIp = ip;
  } else if (key == "model") {
    uint16_t model = 0;
    if (!ParseModel(value, model)) return false;
    s.ap_type = model;
  } else if (key == "name") {
    PutText(value, s.ap_name, s.ap_name_len);
  } else if (key == "ssid") {
    PutText(value, s.ssid, s.ssid_len);
  } else if (key == "bridge_ssid") {
    PutText(value, s.bridge_ssid, s.bridge_ssid_len);
  } else if (key == "version") {
    PutText(value, s.version, s.version_len);
  } else if (key == "psk") {
    PutText(value, s.wpapsk_key_value, s.wpapsk_key_value_len);
  } else if (key == "up_time") {
    if (!ParseUnsigned(value, 0xffffffffU, number)) return false;
    device.upTimeAtStart = number;
  } else if (key == "vlan_id") {
    if (!ParseUnsigned(value, 4094, number)) return false;
    s.vlan_id = static_cast<uint16_t>(number);
  } else if (key == "work_mode" || key == "channel" || key == "secure_mode" ||
             key == "bridge_transparent" || key == "tdma") {
    if (!ParseUnsigned(value, 255, number)) return false;
    const auto byte = static_cast<uint8_t>(number);
    if (key == "work_mode") s.work_mode = byte;
    if (key == "channel") s.channel = byte;
    if (key == "secure_mode") s.secure_mode = byte;
    if (key == "bridge_transparent") s.bridge_transparent = byte;
    if (key == "tdma") s.tdmaEn = byte;
  } else if (key == "factory_ip") {
    if (!ParseIpv4(value, ip)) return false;
    device.factoryIp = ip;
  } else if (key == "neighbours") {
    if (!ParseUnsigned(value, 8160, number)) return false;
    device.neighbours = static_cast<uint16_t>(number);
  } else if (key == "refuse" || key == "ignore") {
    // A comma-separated list of message types.
    const CommandBehaviour behaviour =
        key == "refuse" ? CommandBehaviour::kRefuse : CommandBehaviour::kIgnore;
    std::string_view rest = value;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const uint16_t type = ParseMessageType(std::string(Trim(rest.substr(0, comma))));
      if (type == 0) return false;
      device.rules[type] = {behaviour, 0};
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
  } else if (key == "short_announcement" || key == "silent") {
    if (!ParseUnsigned(value, 1, number)) return false;
    (key == "silent" ? device.silent : device.shortAnnouncement) = number == 1;
  } else {
    return false;
  }
  return true;
}

}  // namespace

const std::vector<uint16_t>& AllModelCodes() {
  static const std::vector<uint16_t> codes = [] {
    std::vector<uint16_t> all;
    for (uint16_t c = 1; c <= 11; ++c) all.push_back(c);
    for (uint16_t c = 257; c <= 267; ++c) all.push_back(c);
    return all;
  }();
  return codes;
}

Ipv4 GeneratedAddress(const Ipv4& firstIp, std::size_t index) {
  // Each block of 256 addresses gives 254 devices (last octets 1 to 254).
  uint32_t n = IpNumberBigEndian(firstIp);
  if ((n & 0xff) == 0) ++n;
  if ((n & 0xff) == 255) n += 2;
  const uint32_t offsetInBlock = (n & 0xff) - 1;
  const uint64_t slot = offsetInBlock + index;
  const uint32_t block = (n & 0xffffff00U) + static_cast<uint32_t>(slot / 254) * 256;
  return IpFromNumber(block + 1 + static_cast<uint32_t>(slot % 254));
}

SimDevice GenerateDevice(const PopulationPlan& plan, std::size_t index) {
  SeedStream rng(plan.seed * 0x100000001b3ULL + index);
  SimDevice device;
  ap_info_stu& s = device.settings;

  MacAddress mac{0x02, static_cast<uint8_t>(plan.seed), static_cast<uint8_t>(index >> 24),
                 static_cast<uint8_t>(index >> 16), static_cast<uint8_t>(index >> 8),
                 static_cast<uint8_t>(index)};
  SetMac(device, mac);
  const std::vector<uint16_t>& models = plan.models.empty() ? AllModelCodes() : plan.models;
  s.ap_type = models[index % models.size()];

  s.work_mode = static_cast<uint8_t>(1 + rng.Below(7));
  s.mode_btn_status = static_cast<uint8_t>(rng.Below(2));
  device.upTimeAtStart = rng.Below(40 * 86400);
  s.ip_mode = static_cast<uint8_t>(rng.Below(2));
  SetIp(device, GeneratedAddress(plan.firstIp, index));
  std::memcpy(s.ip_mask, plan.mask.data(), 4);
  std::memcpy(s.ip_gateway, plan.gateway.data(), 4);
  const Ipv4 dns1{10, 77, 0, 53}, dns2{8, 8, static_cast<uint8_t>(4 + rng.Below(5)), 8};
  std::memcpy(s.ip_dns1, dns1.data(), 4);
  std::memcpy(s.ip_dns2, dns2.data(), 4);

  const std::string name = std::string(rng.Pick(kSites)) + "-" + std::to_string(index + 1);
  PutText(name, s.ap_name, s.ap_name_len);
  char version[32];
  std::snprintf(version, sizeof version, "V%u.%u.%u build %06u", 1 + rng.Below(4), rng.Below(10),
                rng.Below(30), 200000 + rng.Below(800000));
  PutText(version, s.version, s.version_len);

  s.restart_en = static_cast<uint8_t>(rng.Below(2));
  s.restart_type = static_cast<uint8_t>(rng.Below(3));
  s.restart_time = static_cast<uint16_t>(rng.Below(24) * 100 + rng.Below(60));
  s.rf_count = 1;
  s.rf_en = 1;
  s.rf_type = static_cast<uint8_t>(rng.Below(2));
  s.country_code = static_cast<uint8_t>(rng.Below(40));
  s.network_mode = static_cast<uint8_t>(rng.Below(8));
  s.bandwidth = static_cast<uint8_t>(rng.Below(4));
  s.channel = rng.Pick(kChannels);
  s.expand_channel = static_cast<uint8_t>(rng.Below(2));
  s.tx_power_min = static_cast<uint8_t>(1 + rng.Below(5));
  s.tx_power_max = static_cast<uint8_t>(20 + rng.Below(8));
  s.tx_power = static_cast<uint8_t>(s.tx_power_min + rng.Below(s.tx_power_max - s.tx_power_min));

  s.ssid_rf_type = s.rf_type;
  s.ssid_id = 0;
  s.ssid_hide = static_cast<uint8_t>(rng.Below(2));
  for (std::size_t i = 0; i < 6; ++i) s.ssid_mac[i] = mac[i];
  s.ssid_mac[0] = 0x06;
  char ssid[40];
  std::snprintf(ssid, sizeof ssid, "%s_%04X", rng.Pick(kNetworks), rng.Below(0x10000));
  PutText(ssid, s.ssid, s.ssid_len);
  FillSecurityBlock(rng, reinterpret_cast<uint8_t*>(&s) + offsetof(ap_info_stu, secure_mode));
  s.ssid_count = 1;

  s.bridge_work_mode = static_cast<uint8_t>(1 + rng.Below(2));
  for (auto& b : s.bridge_mac) b = rng.Byte();
  s.bridge_mac[0] &= 0xfe;
  s.bridge_channel = rng.Pick(kChannels);
  char bridgeSsid[40];
  std::snprintf(bridgeSsid, sizeof bridgeSsid, "%s-Link-%u", rng.Pick(kNetworks), rng.Below(100));
  PutText(bridgeSsid, s.bridge_ssid, s.bridge_ssid_len);
  FillSecurityBlock(rng, s.bridge_security);

  s.vlan_en = static_cast<uint8_t>(rng.Below(2));
  s.vlan_id = static_cast<uint16_t>(1 + rng.Below(4094));
  s.vlan_id_wlan = static_cast<uint16_t>(1 + rng.Below(4094));
  s.vlan_id_lan = static_cast<uint16_t>(1 + rng.Below(4094));
  s.bridge_transparent = static_cast<uint8_t>(rng.Below(2));
  s.tdmaEn = static_cast<uint8_t>(rng.Below(2));
  s.vlan_pvid = static_cast<uint16_t>(1 + rng.Below(4094));
  s.vlan_id_lan3 = static_cast<uint16_t>(1 + rng.Below(4094));
  s.vlan_id_lan4 = static_cast<uint16_t>(1 + rng.Below(4094));
  return device;
}

std::vector<SimDevice> GeneratePopulation(const PopulationPlan& plan) {
  std::vector<SimDevice> devices;
  devices.reserve(plan.count);
  for (std::size_t i = 0; i < plan.count; ++i) devices.push_back(GenerateDevice(plan, i));
  return devices;
}

bool ParsePopulationText(const std::string& text, const PopulationPlan& plan,
                         std::vector<SimDevice>& devices, std::string& error) {
  devices.clear();
  std::istringstream lines(text);
  std::string line;
  int lineNumber = 0;
  bool inDevice = false;
  while (std::getline(lines, line)) {
    ++lineNumber;
    std::string_view view = Trim(line);
    if (lineNumber == 1 && view.starts_with("\xef\xbb\xbf")) view.remove_prefix(3);
    if (view.empty() || view[0] == '#' || view[0] == ';') continue;
    if (view == "[device]") {
      devices.push_back(GenerateDevice(plan, devices.size()));
      inDevice = true;
      continue;
    }
    const auto equals = view.find('=');
    if (!inDevice || equals == std::string_view::npos) {
      error = "line " + std::to_string(lineNumber) + ": expected [device] or key = value";
      return false;
    }
    const std::string_view key = Trim(view.substr(0, equals));
    const std::string value(Trim(view.substr(equals + 1)));
    if (!ApplyKey(devices.back(), key, value)) {
      error = "line " + std::to_string(lineNumber) + ": bad " + std::string(key) + " value or key";
      return false;
    }
  }
  return true;
}

bool LoadPopulationFile(const std::filesystem::path& path, const PopulationPlan& plan,
                        std::vector<SimDevice>& devices, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path.string();
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  return ParsePopulationText(content.str(), plan, devices, error);
}

uint16_t ParseMessageType(const std::string& text) {
  for (uint16_t type = 1; type < kSimMessageTypes; ++type) {
    if (MessageTypeName(type) == text) return type;
  }
  char* end = nullptr;
  const unsigned long number = std::strtoul(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0' && number < kSimMessageTypes
             ? static_cast<uint16_t>(number)
             : 0;
}

bool ParseIpv4(const std::string& text, Ipv4& ip) {
  unsigned a, b, c, d;
  char tail;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return false;
  if (a > 255 || b > 255 || c > 255 || d > 255) return false;
  ip = {static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c),
        static_cast<uint8_t>(d)};
  return true;
}

bool ParseMacAddress(const std::string& text, MacAddress& mac) {
  unsigned v[6];
  char tail;
  if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4],
                  &v[5], &tail) != 6)
    return false;
  for (int i = 0; i < 6; ++i) mac[i] = static_cast<uint8_t>(v[i]);
  return true;
}

std::string Ipv4Text(const Ipv4& ip) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
  return text;
}

std::string MacAddressText(const MacAddress& mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return text;
}
