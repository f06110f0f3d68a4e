#include "sim/device_commands.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/datagram.h"
#include "sim/outbox.h"
#include "sim/report_builder.h"
#include "sim/site_survey.h"

namespace {

constexpr std::size_t kWirelessOffset = 124;
constexpr std::size_t kWirelessSize = 328;
constexpr std::size_t kScheduleOffset = 120;
constexpr std::size_t kScheduleSize = 4;
constexpr std::size_t kNameSize = 33;
constexpr std::size_t kBridgeOffset = 452;
constexpr std::size_t kBridgeBlockSize = 304;
constexpr std::size_t kBridgeSize = kBridgeBlockSize + kIpBlockSize;
constexpr std::size_t kVlanOffset = 756;
constexpr std::size_t kVlanShortSize = 10;
constexpr std::size_t kVlanLongSize = 22;
constexpr std::size_t kVlanRestartByte = 8;
constexpr std::size_t kIpBlockOffset = 32;
constexpr std::size_t kIpRestartByte = 21;
constexpr std::size_t kUpgradeSize = 268;
constexpr std::size_t kUpgradeNameArea = 260;
constexpr std::size_t kSwitchSize = 12;

uint8_t* Record(SimDevice& device) { return reinterpret_cast<uint8_t*>(&device.settings); }

void Answer(const SimDevice& device, const DeviceRequest& request, HandlerContext& context,
            std::span<const uint8_t> payload) {
  context.outbox.Send(DeviceIp(device), ReplyAddress(request.from, kReplyPort),
                      BuildDeviceDatagram(device, request.type, payload));
}

void Echo(const SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  Answer(device, request, context, request.payload);
}

void Result(const SimDevice& device, const DeviceRequest& request, HandlerContext& context,
            uint8_t result) {
  const uint8_t payload[1] = {result};
  Answer(device, request, context, payload);
}

// An address a device can take: not 0.x, loopback, multicast or above.
bool UsableAddress(const uint8_t* ip) { return ip[0] != 0 && ip[0] != 127 && ip[0] < 224; }

// Takes mode, address, mask, gateway and DNS servers from an IP block; the
// block's last byte only says whether to restart. Returns whether the address
// changed.
bool ApplyIpBlock(SimDevice& device, const uint8_t* block) {
  const Ipv4 before = DeviceIp(device);
  std::memcpy(Record(device) + kIpBlockOffset, block, kIpBlockSize - 1);
  return DeviceIp(device) != before;
}

// The program's address becomes the one the device announces itself to.
void FollowSender(SimDevice& device, const DeviceRequest& request) {
  device.manager = request.from;
  device.manager.sin_family = AF_INET;
}

void OnSetIp(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  if (request.payload.size() < kIpBlockSize) return;
  Echo(device, request, context);  // from the old address
  const uint8_t* block = request.payload.data();
  if (context.refuse || !UsableAddress(block + 1)) return;
  FollowSender(device, request);
  const bool moved = ApplyIpBlock(device, block);
  if (!context.actions) return;
  if (block[kIpRestartByte] == 1) {
    context.actions->Restart(device, false);
  } else if (moved) {
    context.actions->AnnounceToManager(device);
  }
}

// A slice of the record taken whole from the payload, then echoed.
template <std::size_t Offset, std::size_t Size>
void OnSlice(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  if (request.payload.size() < Size) return;
  if (!context.refuse) std::memcpy(Record(device) + Offset, request.payload.data(), Size);
  Echo(device, request, context);
}

void OnSetName(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  if (request.payload.size() < kNameSize) return;
  if (!context.refuse) {
    ap_info_stu& s = device.settings;
    std::memcpy(s.ap_name, request.payload.data(), sizeof s.ap_name);
    s.ap_name_len = std::min<uint8_t>(request.payload[32], sizeof s.ap_name);
  }
  Echo(device, request, context);
}

void OnSetVlan(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  const auto& p = request.payload;
  if (context.refuse || p.size() < kVlanShortSize) {
    Result(device, request, context, 1);
    return;
  }
  uint8_t* vlan = Record(device) + kVlanOffset;
  // Byte 8 asks for a restart; the record keeps its own byte there.
  std::memcpy(vlan, p.data(), kVlanRestartByte);
  vlan[kVlanRestartByte + 1] = p[kVlanRestartByte + 1];
  const uint16_t model = device.settings.ap_type;
  if ((model == 10 || model == 11) && p.size() >= kVlanLongSize) {
    std::memcpy(vlan + kVlanShortSize, p.data() + kVlanShortSize, kVlanLongSize - kVlanShortSize);
  }
  Result(device, request, context, 0);
  if (p[kVlanRestartByte] == 1 && context.actions) {
    FollowSender(device, request);
    context.actions->Restart(device, false);
  }
}

void OnSetTransparentBridge(SimDevice& device, const DeviceRequest& request,
                            HandlerContext& context) {
  if (request.payload.size() < kSwitchSize) return;
  if (!context.refuse) device.settings.bridge_transparent = request.payload[0] != 0 ? 1 : 0;
  Echo(device, request, context);
}

void OnSetTdma(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  if (request.payload.size() < kSwitchSize) return;
  if (!context.refuse) device.settings.tdmaEn = request.payload[1] != 0 ? 1 : 0;
  Echo(device, request, context);
}

// The device becomes a station of the access point the bridge block names,
// with the block's link settings and the IP block that follows it.
void OnSetBridge(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  const auto& p = request.payload;
  if (context.refuse || p.size() < kBridgeSize || !UsableAddress(p.data() + kBridgeBlockSize + 1)) {
    Result(device, request, context, 1);
    return;
  }
  Result(device, request, context, 0);  // from the old address
  std::memcpy(Record(device) + kBridgeOffset, p.data(), kBridgeBlockSize);
  device.settings.work_mode = kStationWorkMode;
  FollowSender(device, request);
  const uint8_t* block = p.data() + kBridgeBlockSize;
  const bool moved = ApplyIpBlock(device, block);
  if (!context.actions) return;
  if (block[kIpRestartByte] == 1) {
    context.actions->Restart(device, false);
  } else if (moved) {
    context.actions->AnnounceToManager(device);
  }
}

void OnRestartCommand(SimDevice& device, const DeviceRequest& request, HandlerContext& context,
                      bool factoryReset) {
  Result(device, request, context, context.refuse ? 1 : 0);
  if (context.refuse || !context.actions) return;
  FollowSender(device, request);
  context.actions->Restart(device, factoryReset);
}

void OnReboot(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  OnRestartCommand(device, request, context, false);
}

void OnFactoryReset(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  OnRestartCommand(device, request, context, true);
}

void OnSiteSurvey(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  // A refusing device finds nothing.
  const std::size_t count =
      context.refuse || !context.actions ? 0 : context.actions->NeighbourCount(device);
  const auto neighbours = GenerateNeighbours(device.mac, count);
  for (const auto& page : BuildSurveyPages(neighbours)) Answer(device, request, context, page);
}

// The file name as the upgrade command carries it: its length byte, cut at
// the first zero byte.
std::string UpgradeFileName(std::span<const uint8_t> payload) {
  const std::size_t length = std::min<std::size_t>(payload[kUpgradeNameArea], kUpgradeNameArea);
  const auto* name = reinterpret_cast<const char*>(payload.data());
  return {name, strnlen(name, length)};
}

void OnUpgrade(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  Echo(device, request, context);
  // A copy retransmitted while the upgrade runs changes nothing.
  if (device.upgrade != UpgradeState::kIdle) return;
  FollowSender(device, request);
  device.upgradeManager = device.manager;
  const auto& p = request.payload;
  const std::string file = p.size() >= kUpgradeSize ? UpgradeFileName(p) : std::string();
  if (context.refuse || file.empty() || !context.actions) {
    SendUpgradeStatus(device, context.outbox, kUpgradeFailed);
    return;
  }
  device.upgradeSize =
      static_cast<uint32_t>(p[264] | (p[265] << 8) | (p[266] << 16) | (uint32_t{p[267]} << 24));
  device.upgrade = UpgradeState::kFetching;
  context.actions->StartUpgrade(device, request.from.sin_addr, file);
}

void OnUpgradeQuery(SimDevice& device, const DeviceRequest& request, HandlerContext& context) {
  Answer(device, request, context, {});
}

}  // namespace

void RegisterDeviceCommands(CommandHandlers& handlers) {
  handlers.Register(kMsgSetIp, OnSetIp);
  handlers.Register(kMsgSetWireless, OnSlice<kWirelessOffset, kWirelessSize>);
  handlers.Register(kMsgSetRebootSchedule, OnSlice<kScheduleOffset, kScheduleSize>);
  handlers.Register(kMsgSiteSurvey, OnSiteSurvey);
  handlers.Register(kMsgSetBridge, OnSetBridge);
  handlers.Register(kMsgSetName, OnSetName);
  handlers.Register(kMsgReboot, OnReboot);
  handlers.Register(kMsgFactoryReset, OnFactoryReset);
  handlers.Register(kMsgUpgrade, OnUpgrade);
  handlers.Register(kMsgSetVlan, OnSetVlan);
  handlers.Register(kMsgUpgradeQuery, OnUpgradeQuery);
  handlers.Register(kMsgSetTransparentBridge, OnSetTransparentBridge);
  handlers.Register(kMsgSetTdma, OnSetTdma);
}

void SendUpgradeStatus(const SimDevice& device, Outbox& outbox, uint8_t result) {
  const uint8_t payload[1] = {result};
  outbox.Send(DeviceIp(device), ReplyAddress(device.upgradeManager, kReplyPort),
              BuildDeviceDatagram(device, kMsgUpgradeStatus, payload));
}
