#pragma once
// The population of simulated devices and everything they do: announcements
// in answer to a search, command handling per message type, keepalives once
// found, and the control commands that change their behaviour at run time.
//
// Single-threaded: devsim's event loop calls every member; time comes in as
// an argument so the tests drive it without sleeping.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "sim/command_handlers.h"
#include "sim/sim_device.h"

class Outbox;

struct SimulatorOptions {
  SimClock::duration keepalivePeriod = std::chrono::seconds(10);  // zero: none
  double dropShare = 0.0;  // share of searches and commands left unanswered
  // Each device answers a search after a random delay up to this, as devices
  // on a real segment do not all answer in the same instant; zero: at once.
  SimClock::duration answerSpread{};
  uint64_t dropSeed = 1;
  bool log = false;  // Log() lines for every command received
  // How long a restarting device stays quiet (reboot, factory reset, restart
  // after an upgrade or when a command asks).
  SimClock::duration restartTime = std::chrono::seconds(3);
  // From the upgrade_status "waiting" to "succeeded".
  SimClock::duration upgradeTime = std::chrono::seconds(5);
  uint16_t neighbours = 40;  // site survey size of devices that set none
  uint16_t tftpPort = 69;    // the PC's TFTP port the devices fetch firmware from
};

// Fetches firmware files for the devices: TFTP sockets in devsim, a fake in
// the tests. The end of each fetch goes to Simulator::OnFetchDone.
class FirmwareFetcher {
 public:
  virtual ~FirmwareFetcher() = default;
  // Starts fetching `file` from `server` for device number `device`, from the
  // device's address `from`; more than `maxBytes` is a failure.
  virtual void Fetch(std::size_t device, const Ipv4& from, const sockaddr_in& server,
                     const std::string& file, uint64_t maxBytes) = 0;
  // Ends the device's fetch, if any, without a result.
  virtual void Cancel(std::size_t device) = 0;
};

struct SimulatorStats {
  uint64_t searches = 0;
  uint64_t commands = 0;
  uint64_t unknownTarget = 0;  // commands for no simulated MAC
  uint64_t dropped = 0;
  uint64_t announcements = 0;
  uint64_t reports = 0;
  uint64_t keepalives = 0;
  uint64_t releases = 0;
};

class Simulator final : private DeviceActions {
 public:
  // `fetcher` (may be null: every upgrade fails) must outlive the Simulator.
  Simulator(std::vector<SimDevice> devices, SimulatorOptions options, Outbox& outbox,
            SimClock::time_point start, FirmwareFetcher* fetcher = nullptr);

  // The search broadcast from the program at `from`: every device in the
  // searcher's subnet announces itself to port 9785.
  void OnSearch(const sockaddr_in& from, SimClock::time_point now);
  // A datagram on the command port; `destination` is the address it was sent
  // to (the multicast group, or a device's own address).
  void OnCommand(std::span<const uint8_t> datagram, const sockaddr_in& from,
                 const Ipv4& destination, SimClock::time_point now);
  // The end of a device's firmware fetch: `ok` when the whole file arrived.
  void OnFetchDone(std::size_t device, bool ok, uint64_t bytes, SimClock::time_point now);
  // Sends the keepalives, delayed announcements and device timers that are due.
  void Tick(SimClock::time_point now);
  // Announcements or device timers waiting for their moment.
  bool HasScheduled() const { return !scheduled_.empty() || !timers_.empty(); }
  // The earliest announcement or device timer, if any.
  std::optional<SimClock::time_point> NextDue() const;

  // Runs one control line ("silent all", "move <mac> <ip>", "stats", ...) and
  // returns the one-line answer. Sets `quit` for "quit".
  std::string Control(const std::string& line, bool& quit);

  CommandHandlers& Handlers() { return handlers_; }
  const std::vector<SimDevice>& Devices() const { return devices_; }
  const SimulatorStats& Stats() const { return stats_; }
  // Lines to print, collected when logging is on; the caller empties it.
  std::vector<std::string>& Log() { return log_; }

 private:
  uint32_t UpTime(const SimDevice& device, SimClock::time_point now) const;
  bool Drops();
  void Announce(SimDevice& device, const sockaddr_in& to, SimClock::time_point now);
  SimDevice* FindByMac(const MacAddress& mac);
  SimDevice* FindByIp(const Ipv4& ip);
  // The devices a control target names: "all" or one MAC text.
  std::vector<SimDevice*> Targets(const std::string& target);
  std::string SetRule(const std::vector<SimDevice*>& targets, CommandBehaviour behaviour,
                      const std::string& type, const std::string& count);
  // Whether the device's rules let this copy of a command through; sets
  // `refuse` for a refused one.
  bool Admits(SimDevice& device, uint16_t type, bool& refuse);
  static bool Quiet(const SimDevice& device) { return device.silent || device.restarting; }
  std::size_t IndexOf(const SimDevice& device) const {
    return static_cast<std::size_t>(&device - devices_.data());
  }
  void ComeBack(SimDevice& device);
  void FinishUpgrade(SimDevice& device);

  // DeviceActions
  void Restart(SimDevice& device, bool factoryReset) override;
  void AnnounceToManager(SimDevice& device) override;
  void StartUpgrade(SimDevice& device, const in_addr& pcAddress, const std::string& file) override;
  std::size_t NeighbourCount(const SimDevice& device) const override;

  std::vector<SimDevice> devices_;
  std::unordered_map<uint64_t, std::size_t> byMac_;
  SimulatorOptions options_;
  Outbox& outbox_;
  SimClock::time_point start_;
  CommandHandlers handlers_ = CommandHandlers::Standard();
  std::mt19937_64 dropRng_;
  SimulatorStats stats_;
  std::vector<std::string> log_;
  struct ScheduledAnnouncement {
    std::size_t device;
    sockaddr_in to;
  };
  std::multimap<SimClock::time_point, ScheduledAnnouncement> scheduled_;
  enum class TimerKind : uint8_t { kComeBack, kUpgradeDone };
  struct DeviceTimer {
    std::size_t device;
    TimerKind kind;
    uint32_t generation;
  };
  std::multimap<SimClock::time_point, DeviceTimer> timers_;
  FirmwareFetcher* fetcher_;
  SimClock::time_point now_{};  // time of the event being handled
  static constexpr SimClock::duration kKeepaliveResolution = std::chrono::milliseconds(10);
  SimClock::time_point nextKeepaliveScan_{};
};
