#include "sim/simulator.h"

#include <arpa/inet.h>

#include <cstring>
#include <sstream>

#include "protocol/datagram.h"
#include "sim/outbox.h"
#include "sim/population.h"
#include "sim/report_builder.h"

namespace {

uint64_t MacKey(const MacAddress& mac) {
  uint64_t key = 0;
  for (uint8_t b : mac) key = (key << 8) | b;
  return key;
}

uint32_t HostOrder(const uint8_t ip[4]) {
  return (uint32_t{ip[0]} << 24) | (uint32_t{ip[1]} << 16) | (uint32_t{ip[2]} << 8) | ip[3];
}

bool InSubnet(const SimDevice& device, const sockaddr_in& peer) {
  const uint32_t mask = HostOrder(device.settings.ip_mask);
  return (ntohl(peer.sin_addr.s_addr) & mask) == (HostOrder(device.settings.ip) & mask);
}

std::string PeerText(const sockaddr_in& peer) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
  return text;
}

std::string TypeName(uint16_t type) {
  switch (type) {
    case kMsgDiscover: return "discover";
    case kMsgDeviceInfo: return "device_info";
    case kMsgKeepalive: return "keepalive";
    case kMsgRelease: return "release";
    default: return "type" + std::to_string(type);
  }
}

uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

}  // namespace

Simulator::Simulator(std::vector<SimDevice> devices, SimulatorOptions options, Outbox& outbox,
                     SimClock::time_point start)
    : devices_(std::move(devices)),
      options_(options),
      outbox_(outbox),
      start_(start),
      dropRng_(options.dropSeed) {
  byMac_.reserve(devices_.size());
  for (std::size_t i = 0; i < devices_.size(); ++i) byMac_.emplace(MacKey(devices_[i].mac), i);
}

uint32_t Simulator::UpTime(const SimDevice& device, SimClock::time_point now) const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
  return device.upTimeAtStart + static_cast<uint32_t>(elapsed);
}

bool Simulator::Drops() {
  if (options_.dropShare <= 0.0) return false;
  const bool drop = std::uniform_real_distribution<double>(0.0, 1.0)(dropRng_) < options_.dropShare;
  if (drop) ++stats_.dropped;
  return drop;
}

SimDevice* Simulator::FindByMac(const MacAddress& mac) {
  const auto it = byMac_.find(MacKey(mac));
  return it == byMac_.end() ? nullptr : &devices_[it->second];
}

SimDevice* Simulator::FindByIp(const Ipv4& ip) {
  for (SimDevice& device : devices_) {
    if (DeviceIp(device) == ip) return &device;
  }
  return nullptr;
}

void Simulator::OnSearch(const sockaddr_in& from, SimClock::time_point now) {
  ++stats_.searches;
  const sockaddr_in to = ReplyAddress(from, kAnnouncePort);
  const auto spread = options_.answerSpread.count();
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    SimDevice& device = devices_[i];
    if (device.silent || !InSubnet(device, from) || Drops()) continue;
    if (spread <= 0) {
      Announce(device, to, now);
      continue;
    }
    const SimClock::duration delay(
        std::uniform_int_distribution<SimClock::rep>(0, spread)(dropRng_));
    scheduled_.emplace(now + delay, ScheduledAnnouncement{i, to});
  }
}

void Simulator::Announce(SimDevice& device, const sockaddr_in& to, SimClock::time_point now) {
  const auto payload = BuildAnnouncementPayload(device, UpTime(device, now));
  outbox_.Send(DeviceIp(device), to, BuildDeviceDatagram(device, kMsgDiscover, payload));
  ++stats_.announcements;
}

void Simulator::OnCommand(std::span<const uint8_t> datagram, const sockaddr_in& from,
                          const Ipv4& destination, SimClock::time_point now) {
  if (datagram.size() < kDatagramHeaderSize || GetU16(datagram.data()) != kDatagramMagic) return;
  ++stats_.commands;
  MacAddress mac;
  std::memcpy(mac.data(), datagram.data() + 8, mac.size());
  SimDevice* device = FindByMac(mac);
  // A datagram sent to a device's own address reaches that device, whatever MAC it names.
  const bool unicast = destination[0] < 224 && destination[3] != 255;
  if (!device && unicast) device = FindByIp(destination);
  if (!device) {
    ++stats_.unknownTarget;
    return;
  }
  const uint16_t type = GetU16(datagram.data() + 4);
  if (type < device->received.size()) ++device->received[type];
  if (options_.log) {
    log_.push_back("rx " + TypeName(type) + " " + MacAddressText(device->mac) + " from " +
                   PeerText(from));
  }
  if (device->silent || Drops()) return;

  // The payload is what arrived, up to the length the header gives.
  const std::size_t length =
      std::min<std::size_t>(GetU16(datagram.data() + 14), datagram.size() - kDatagramHeaderSize);
  DeviceRequest request{type, datagram.subspan(kDatagramHeaderSize, length), from, now};
  HandlerContext context{outbox_, UpTime(*device, now), options_.keepalivePeriod};
  if (!handlers_.Handle(*device, request, context)) return;
  if (type == kMsgDeviceInfo) ++stats_.reports;
  if (type == kMsgRelease) ++stats_.releases;
}

void Simulator::Tick(SimClock::time_point now) {
  while (!scheduled_.empty() && scheduled_.begin()->first <= now) {
    const auto [device, to] = scheduled_.begin()->second;
    scheduled_.erase(scheduled_.begin());
    // A device silenced meanwhile keeps quiet.
    if (!devices_[device].silent) Announce(devices_[device], to, now);
  }
  if (options_.keepalivePeriod <= SimClock::duration::zero()) return;
  // Walking every device costs; a keepalive 10 ms late is no matter.
  if (now < nextKeepaliveScan_) return;
  nextKeepaliveScan_ = now + kKeepaliveResolution;
  for (SimDevice& device : devices_) {
    if (!device.found || device.silent || device.nextKeepalive > now) continue;
    const auto payload = BuildKeepalivePayload(device, UpTime(device, now));
    outbox_.Send(DeviceIp(device), ReplyAddress(device.manager, kKeepalivePort),
                 BuildDeviceDatagram(device, kMsgKeepalive, payload));
    ++stats_.keepalives;
    device.nextKeepalive += options_.keepalivePeriod;
    // A device held up for more than a period sends one keepalive, not a burst.
    if (device.nextKeepalive <= now) device.nextKeepalive = now + options_.keepalivePeriod;
  }
}

std::vector<SimDevice*> Simulator::Targets(const std::string& target) {
  std::vector<SimDevice*> targets;
  if (target == "all") {
    for (SimDevice& device : devices_) targets.push_back(&device);
    return targets;
  }
  MacAddress mac{};
  if (ParseMacAddress(target, mac)) {
    if (SimDevice* device = FindByMac(mac)) targets.push_back(device);
  }
  return targets;
}

std::string Simulator::Control(const std::string& line, bool& quit) {
  std::istringstream words(line);
  std::string command, target, value;
  words >> command >> target >> value;
  if (command.empty()) return "error empty command";
  if (command == "quit") {
    quit = true;
    return "ok";
  }
  if (command == "stats") {
    std::size_t found = 0, silent = 0;
    for (const SimDevice& device : devices_) {
      found += device.found ? 1 : 0;
      silent += device.silent ? 1 : 0;
    }
    std::ostringstream out;
    out << "stats devices=" << devices_.size() << " found=" << found << " silent=" << silent
        << " searches=" << stats_.searches << " commands=" << stats_.commands
        << " unknown=" << stats_.unknownTarget << " dropped=" << stats_.dropped
        << " announcements=" << stats_.announcements << " reports=" << stats_.reports
        << " keepalives=" << stats_.keepalives << " releases=" << stats_.releases;
    return out.str();
  }
  if (command == "drop") {
    const double share = std::strtod(target.c_str(), nullptr);
    if (share < 0.0 || share > 1.0) return "error share must be 0 to 1";
    options_.dropShare = share;
    return "ok";
  }
  if (command == "keepalive") {
    const double seconds = std::strtod(target.c_str(), nullptr);
    if (seconds < 0.0) return "error period must not be negative";
    options_.keepalivePeriod = std::chrono::duration_cast<SimClock::duration>(
        std::chrono::duration<double>(seconds));
    return "ok";
  }
  const std::vector<SimDevice*> targets = Targets(target);
  if (targets.empty()) return "error no device " + target;
  if (command == "silent" || command == "speak") {
    for (SimDevice* device : targets) device->silent = command == "silent";
  } else if (command == "short") {
    for (SimDevice* device : targets) device->shortAnnouncement = value != "0";
  } else if (command == "move" || command == "claim") {
    Ipv4 ip{};
    const bool none = command == "claim" && value == "none";
    if (targets.size() != 1 || (!none && !ParseIpv4(value, ip))) return "error bad address";
    if (command == "move") {
      std::memcpy(targets[0]->settings.ip, ip.data(), 4);
    } else {
      targets[0]->reportedIp = none ? std::nullopt : std::optional<Ipv4>(ip);
    }
  } else if (command == "show") {
    if (targets.size() != 1) return "error show takes one device";
    const SimDevice& d = *targets[0];
    std::ostringstream out;
    out << "device " << MacAddressText(d.mac) << " ip=" << Ipv4Text(DeviceIp(d))
        << " found=" << d.found << " silent=" << d.silent;
    for (uint16_t type = 1; type < d.received.size(); ++type) {
      if (d.received[type] != 0) out << " " << TypeName(type) << "=" << d.received[type];
    }
    return out.str();
  } else {
    return "error unknown command " + command;
  }
  return "ok";
}
