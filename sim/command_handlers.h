#pragma once
// What a device does with each message type the program sends it. Handlers are
// registered per type, so teaching the devices a new command is one more
// handler; a type without a handler is ignored, as a device ignores what it
// does not know.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include <netinet/in.h>

#include "sim/sim_device.h"

class Outbox;

// One command as a device receives it: header fields, payload and sender.
struct DeviceRequest {
  uint16_t type = 0;
  std::span<const uint8_t> payload;
  sockaddr_in from{};
  SimClock::time_point now{};
};

// What a command sets in motion beyond its answer, carried out by the
// Simulator on its own timers so that no device holds up another.
class DeviceActions {
 public:
  virtual ~DeviceActions() = default;
  // The device goes quiet for the restart time and comes back with a fresh up
  // time (and its factory settings when `factoryReset`), announcing itself.
  virtual void Restart(SimDevice& device, bool factoryReset) = 0;
  // Announces the device to the program that found it, from its address now.
  virtual void AnnounceToManager(SimDevice& device) = 0;
  // Fetches the firmware file by TFTP from `pcAddress`; the end comes back to
  // the Simulator, which reports it to the program.
  virtual void StartUpgrade(SimDevice& device, const in_addr& pcAddress, const std::string& file) = 0;
  // Neighbours the device's site survey finds.
  virtual std::size_t NeighbourCount(const SimDevice& device) const = 0;
};

// What a handler may use besides its device.
struct HandlerContext {
  Outbox& outbox;
  uint32_t upTime;  // the device's current up time
  SimClock::duration keepalivePeriod;
  DeviceActions* actions = nullptr;  // null: only answers, nothing set in motion
  bool refuse = false;               // answer with result 1 and apply nothing
};

using CommandHandler = std::function<void(SimDevice&, const DeviceRequest&, HandlerContext&)>;

class CommandHandlers {
 public:
  // The handlers every device has: discover answer, device_info, keepalive
  // answer and release, and the configuration and control commands
  // (device_commands.h).
  static CommandHandlers Standard();

  void Register(uint16_t type, CommandHandler handler);
  // False when no handler takes the type.
  bool Handle(SimDevice& device, const DeviceRequest& request, HandlerContext& context) const;

 private:
  static constexpr std::size_t kTypeCount = 64;
  std::array<CommandHandler, kTypeCount> handlers_{};
};

// The program's port for a device's answers to commands.
sockaddr_in ReplyAddress(const sockaddr_in& manager, uint16_t port);
