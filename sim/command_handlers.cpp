#include "sim/command_handlers.h"

#include "protocol/datagram.h"
#include "sim/device_commands.h"
#include "sim/outbox.h"
#include "sim/report_builder.h"

namespace {

// The program found the device: from now on it sends keepalives to the
// address the program used.
void MarkFound(SimDevice& device, const DeviceRequest& request, const HandlerContext& context) {
  if (!device.found) device.nextKeepalive = request.now + context.keepalivePeriod;
  device.found = true;
  device.manager = request.from;
}

void OnDiscover(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  MarkFound(device, request, context);
}

void OnDeviceInfo(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  MarkFound(device, request, context);
  const auto payload = BuildReportPayload(device, context.upTime);
  const auto datagram = BuildDeviceDatagram(device, kMsgDeviceInfo, payload);
  context.outbox.Send(DeviceIp(device), ReplyAddress(request.from, kReplyPort), datagram);
}

// The program's answer to a keepalive carries nothing a device needs.
void OnKeepaliveAnswer(SimDevice&, const DeviceRequest&, HandlerContext&) {}

void OnRelease(SimDevice& device, const DeviceRequest&, HandlerContext&) {
  device.found = false;
}

}  // namespace

CommandHandlers CommandHandlers::Standard() {
  CommandHandlers handlers;
  handlers.Register(kMsgDiscover, OnDiscover);
  handlers.Register(kMsgDeviceInfo, OnDeviceInfo);
  handlers.Register(kMsgKeepalive, OnKeepaliveAnswer);
  handlers.Register(kMsgRelease, OnRelease);
  RegisterDeviceCommands(handlers);
  return handlers;
}

void CommandHandlers::Register(uint16_t type, CommandHandler handler) {
  if (type < kTypeCount) handlers_[type] = std::move(handler);
}

bool CommandHandlers::Handle(SimDevice& device, const DeviceRequest& request,
                             HandlerContext& context) const {
  if (request.type >= kTypeCount || !handlers_[request.type]) return false;
  handlers_[request.type](device, request, context);
  return true;
}

sockaddr_in ReplyAddress(const sockaddr_in& manager, uint16_t port) {
  sockaddr_in to = manager;
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  return to;
}
