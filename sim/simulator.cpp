#include "sim/simulator.h"

#include <arpa/inet.h>

#include <cstring>
#include <sstream>

#include "protocol/datagram.h"
#include "sim/device_commands.h"
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
  const std::string_view name = MessageTypeName(type);
  return name.empty() ? "type" + std::to_string(type) : std::string(name);
}


uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

}  // namespace

Simulator::Simulator(std::vector<SimDevice> devices, SimulatorOptions options, Outbox& outbox,
                     SimClock::time_point start, FirmwareFetcher* fetcher)
    : devices_(std::move(devices)),
      options_(options),
      outbox_(outbox),
      start_(start),
      dropRng_(options.dropSeed),
      fetcher_(fetcher),
      now_(start) {
  byMac_.reserve(devices_.size());
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    SimDevice& device = devices_[i];
    byMac_.emplace(MacKey(device.mac), i);
    device.factory = device.settings;
    if (device.factoryIp) std::memcpy(device.factory.ip, device.factoryIp->data(), 4);
  }
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
    if (Quiet(device) || !InSubnet(device, from) || Drops()) continue;
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
  if (Quiet(*device) || Drops()) return;
  bool refuse = false;
  if (!Admits(*device, type, refuse)) return;

  now_ = now;
  // The payload is what arrived, up to the length the header gives.
  const std::size_t length =
      std::min<std::size_t>(GetU16(datagram.data() + 14), datagram.size() - kDatagramHeaderSize);
  DeviceRequest request{type, datagram.subspan(kDatagramHeaderSize, length), from, now};
  HandlerContext context{outbox_, UpTime(*device, now), options_.keepalivePeriod, this, refuse};
  if (!handlers_.Handle(*device, request, context)) return;
  if (type == kMsgDeviceInfo) ++stats_.reports;
  if (type == kMsgRelease) ++stats_.releases;
}

bool Simulator::Admits(SimDevice& device, uint16_t type, bool& refuse) {
  if (type >= device.rules.size()) return true;
  CommandRule& rule = device.rules[type];
  const CommandBehaviour behaviour = rule.behaviour;
  if (behaviour != CommandBehaviour::kAnswer && rule.remaining > 0 && --rule.remaining == 0) {
    rule.behaviour = CommandBehaviour::kAnswer;
  }
  refuse = behaviour == CommandBehaviour::kRefuse;
  return behaviour != CommandBehaviour::kIgnore;
}

void Simulator::Restart(SimDevice& device, bool factoryReset) {
  if (device.upgrade == UpgradeState::kFetching && fetcher_) fetcher_->Cancel(IndexOf(device));
  device.upgrade = UpgradeState::kIdle;
  device.restarting = true;
  device.resetOnRestart = device.resetOnRestart || factoryReset;
  device.found = false;
  ++device.generation;
  device.offlineUntil = now_ + options_.restartTime;
  timers_.emplace(device.offlineUntil,
                  DeviceTimer{IndexOf(device), TimerKind::kComeBack, device.generation});
}

void Simulator::ComeBack(SimDevice& device) {
  device.restarting = false;
  if (device.resetOnRestart) {
    device.settings = device.factory;
    device.resetOnRestart = false;
  }
  // Up time counts again from zero.
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now_ - start_).count();
  device.upTimeAtStart = 0U - static_cast<uint32_t>(elapsed);
  if (!device.silent) AnnounceToManager(device);
}

void Simulator::AnnounceToManager(SimDevice& device) {
  if (device.manager.sin_family != AF_INET) return;
  Announce(device, ReplyAddress(device.manager, kAnnouncePort), now_);
}

void Simulator::StartUpgrade(SimDevice& device, const in_addr& pcAddress,
                             const std::string& file) {
  if (!fetcher_) {
    OnFetchDone(IndexOf(device), false, 0, now_);
    return;
  }
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_addr = pcAddress;
  server.sin_port = htons(options_.tftpPort);
  fetcher_->Fetch(IndexOf(device), DeviceIp(device), server, file, device.upgradeSize);
}

std::size_t Simulator::NeighbourCount(const SimDevice& device) const {
  return device.neighbours.value_or(options_.neighbours);
}

void Simulator::OnFetchDone(std::size_t index, bool ok, uint64_t bytes, SimClock::time_point now) {
  if (index >= devices_.size()) return;
  SimDevice& device = devices_[index];
  if (device.upgrade != UpgradeState::kFetching) return;
  now_ = now;
  if (!ok || bytes != device.upgradeSize) {
    device.upgrade = UpgradeState::kIdle;
    if (!Quiet(device)) SendUpgradeStatus(device, outbox_, kUpgradeFailed);
    return;
  }
  device.upgrade = UpgradeState::kInstalling;
  if (!Quiet(device)) SendUpgradeStatus(device, outbox_, kUpgradeWaiting);
  timers_.emplace(now + options_.upgradeTime,
                  DeviceTimer{index, TimerKind::kUpgradeDone, device.generation});
}

void Simulator::FinishUpgrade(SimDevice& device) {
  if (device.upgrade != UpgradeState::kInstalling) return;
  if (!Quiet(device)) SendUpgradeStatus(device, outbox_, kUpgradeSucceeded);
  Restart(device, false);
}

std::optional<SimClock::time_point> Simulator::NextDue() const {
  std::optional<SimClock::time_point> due;
  if (!scheduled_.empty()) due = scheduled_.begin()->first;
  if (!timers_.empty() && (!due || timers_.begin()->first < *due)) due = timers_.begin()->first;
  return due;
}

void Simulator::Tick(SimClock::time_point now) {
  now_ = now;
  while (!scheduled_.empty() && scheduled_.begin()->first <= now) {
    const auto [device, to] = scheduled_.begin()->second;
    scheduled_.erase(scheduled_.begin());
    // A device silenced meanwhile keeps quiet.
    if (!Quiet(devices_[device])) Announce(devices_[device], to, now);
  }
  while (!timers_.empty() && timers_.begin()->first <= now) {
    const DeviceTimer timer = timers_.begin()->second;
    timers_.erase(timers_.begin());
    SimDevice& device = devices_[timer.device];
    if (timer.generation != device.generation) continue;
    if (timer.kind == TimerKind::kComeBack) ComeBack(device);
    else FinishUpgrade(device);
  }
  if (options_.keepalivePeriod <= SimClock::duration::zero()) return;
  // Walking every device costs; a keepalive 10 ms late is no matter.
  if (now < nextKeepaliveScan_) return;
  nextKeepaliveScan_ = now + kKeepaliveResolution;
  for (SimDevice& device : devices_) {
    if (!device.found || Quiet(device) || device.nextKeepalive > now) continue;
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

std::string Simulator::SetRule(const std::vector<SimDevice*>& targets, CommandBehaviour behaviour,
                               const std::string& type, const std::string& count) {
  const uint16_t code = type == "all" ? 0 : ParseMessageType(type);
  if (code == 0 && type != "all") return "error unknown message type " + type;
  char* end = nullptr;
  const unsigned long copies = count.empty() ? 0 : std::strtoul(count.c_str(), &end, 10);
  if (!count.empty() && (*end != '\0' || copies > 0xffffffffUL)) return "error bad count " + count;
  for (SimDevice* device : targets) {
    for (uint16_t t = 1; t < kSimMessageTypes; ++t) {
      if (code == 0 || t == code) device->rules[t] = {behaviour, static_cast<uint32_t>(copies)};
    }
  }
  return "ok";
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
  if (command == "refuse" || command == "ignore" || command == "answer") {
    std::string count;
    words >> count;
    const CommandBehaviour behaviour = command == "refuse"   ? CommandBehaviour::kRefuse
                                       : command == "ignore" ? CommandBehaviour::kIgnore
                                                             : CommandBehaviour::kAnswer;
    return SetRule(targets, behaviour, value, count);
  }
  if (command == "neighbours") {
    char* end = nullptr;
    const unsigned long count = std::strtoul(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || count > 0xffff) return "error bad neighbour count";
    for (SimDevice* device : targets) device->neighbours = static_cast<uint16_t>(count);
    return "ok";
  }
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
        << " found=" << d.found << " silent=" << d.silent
        << " transparent_bridge=" << int(d.settings.bridge_transparent)
        << " tdma=" << int(d.settings.tdmaEn);
    if (d.restarting) out << " restarting=1";
    if (d.upgrade != UpgradeState::kIdle) {
      out << " upgrade=" << (d.upgrade == UpgradeState::kFetching ? "fetching" : "installing");
    }
    for (uint16_t type = 1; type < d.received.size(); ++type) {
      if (d.received[type] != 0) out << " " << TypeName(type) << "=" << d.received[type];
    }
    return out.str();
  } else {
    return "error unknown command " + command;
  }
  return "ok";
}
