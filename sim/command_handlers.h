#pragma once
// What a device does with each message type the program sends it. Handlers are
// registered per type, so teaching the devices a new command is one more
// handler; a type without a handler is ignored, as a device ignores what it
// does not know.

#include <array>
#include <cstdint>
#include <functional>
#include <span>

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

// What a handler may use besides its device.
struct HandlerContext {
  Outbox& outbox;
  uint32_t upTime;  // the device's current up time
  SimClock::duration keepalivePeriod;
};

using CommandHandler = std::function<void(SimDevice&, const DeviceRequest&, HandlerContext&)>;

class CommandHandlers {
 public:
  // The handlers every device has: discover answer, device_info, keepalive
  // answer and release.
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
