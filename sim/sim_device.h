#pragma once
// One simulated device: its full settings (the Device record as the device
// would report it) and what it knows about the program that found it.
// Owned by the Simulator; used from its single thread only.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <netinet/in.h>

#include "store/ap_info_stu.h"

using SimClock = std::chrono::steady_clock;
using Ipv4 = std::array<uint8_t, 4>;
using MacAddress = std::array<uint8_t, 6>;

// How a device treats one command type; the failure paths of the program are
// tested with devices that refuse (result 1, nothing applied) or ignore.
enum class CommandBehaviour : uint8_t { kAnswer, kRefuse, kIgnore };
struct CommandRule {
  CommandBehaviour behaviour = CommandBehaviour::kAnswer;
  uint32_t remaining = 0;  // copies left to treat so, then kAnswer again; 0: every copy
};

enum class UpgradeState : uint8_t { kIdle, kFetching, kInstalling };

inline constexpr std::size_t kSimMessageTypes = 20;

struct SimDevice {
  MacAddress mac{};
  // Every field of the full report; `settings.ip` is the device's address.
  // `settings.mac` and `ap_status` are not sent; the model (`ap_type`)
  // travels in the header.
  ap_info_stu settings{};
  // Up time at the simulator's start; the reported up time grows from it.
  uint32_t upTimeAtStart = 0;

  // Behaviour switches.
  bool silent = false;              // answers nothing and sends no keepalive
  bool shortAnnouncement = false;   // announces with the version area only
  std::optional<Ipv4> reportedIp;   // report claims this address instead of `ip`
  std::array<CommandRule, kSimMessageTypes> rules{};
  std::optional<uint16_t> neighbours;  // site survey size; unset: the simulator's default

  // What a factory reset brings back: the settings at the simulator's start,
  // at `factoryIp` when one is given.
  std::optional<Ipv4> factoryIp;
  ap_info_stu factory{};

  // A restarting device is deaf and mute until `offlineUntil`; timers set
  // before the restart carry an older generation and are dropped.
  SimClock::time_point offlineUntil{};
  bool restarting = false;
  bool resetOnRestart = false;
  uint32_t generation = 0;

  UpgradeState upgrade = UpgradeState::kIdle;
  uint32_t upgradeSize = 0;
  sockaddr_in upgradeManager{};  // where the upgrade_status reports go

  // Set by the program's discover answer or info request, cleared by release.
  bool found = false;
  sockaddr_in manager{};  // the program's address that found the device
  SimClock::time_point nextKeepalive{};

  // Commands received, by message type (for the tests and the log).
  std::array<uint32_t, kSimMessageTypes> received{};
};

inline Ipv4 DeviceIp(const SimDevice& device) {
  return {device.settings.ip[0], device.settings.ip[1], device.settings.ip[2],
          device.settings.ip[3]};
}
