#include "protocol/datagram.h"

#include <algorithm>
#include <cstring>

#include "store/device_text.h"

namespace {

void PutU16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value & 0xff);
  at[1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

}  // namespace

std::string_view MessageTypeName(uint16_t type) {
  switch (type) {
    case kMsgDiscover: return "discover";
    case kMsgDeviceInfo: return "device_info";
    case kMsgSetIp: return "set_ip";
    case kMsgSetWireless: return "set_wireless";
    case kMsgSetRebootSchedule: return "set_reboot_schedule";
    case kMsgSiteSurvey: return "site_survey";
    case kMsgSetBridge: return "set_bridge";
    case kMsgSetName: return "set_name";
    case kMsgReboot: return "reboot";
    case kMsgFactoryReset: return "factory_reset";
    case kMsgUpgrade: return "upgrade";
    case kMsgUpgradeStatus: return "upgrade_status";
    case kMsgSetVlan: return "set_vlan";
    case kMsgKeepalive: return "keepalive";
    case kMsgUpgradeQuery: return "upgrade_query";
    case kMsgRelease: return "release";
    case kMsgSetTransparentBridge: return "set_transparent_bridge";
    case kMsgSetTdma: return "set_tdma";
    default: return {};
  }
}

std::size_t EncodeDatagram(std::span<const uint8_t> payload, std::string_view macText,
                           uint16_t type, bool addressed, std::span<uint8_t> out) {
  if (payload.size() > kMaxPayloadSize) return 0;
  const std::size_t total = kDatagramHeaderSize + payload.size();
  if (out.size() < total) return 0;
  std::fill(out.begin(), out.begin() + total, uint8_t{0});
  uint8_t* p = out.data();
  PutU16(p, kDatagramMagic);
  PutU16(p + 4, type);
  p[6] = addressed ? 1 : 0;
  const MacBytes mac = ParseMacText(macText);
  std::memcpy(p + 8, mac.data(), mac.size());
  PutU16(p + 14, static_cast<uint16_t>(payload.size()));
  if (!payload.empty()) std::memcpy(p + kDatagramHeaderSize, payload.data(), payload.size());
  return total;
}

DatagramHeader DecodeHeader(std::span<const uint8_t> datagram) {
  DatagramHeader header;
  if (datagram.size() < kDatagramHeaderSize) return header;
  const uint8_t* p = datagram.data();
  header.magic = GetU16(p);
  header.model = GetU16(p + 2);
  header.type = GetU16(p + 4);
  header.addressed = p[6];
  header.reserved = p[7];
  std::memcpy(header.mac.data(), p + 8, header.mac.size());
  header.length = GetU16(p + 14);
  return header;
}

bool IsAcceptedDatagram(std::span<const uint8_t> datagram, uint16_t localPort) {
  if (datagram.size() < kDatagramHeaderSize || datagram.size() > kMaxDatagramSize) return false;
  const DatagramHeader header = DecodeHeader(datagram);
  if (header.magic != kDatagramMagic) return false;
  switch (localPort) {
    case kAnnouncePort: return header.type == kMsgDiscover;
    case kKeepalivePort: return header.type == kMsgKeepalive;
    case kReplyPort: return true;
    default: return false;
  }
}

bool IsNeverRetransmitted(uint16_t type) {
  return type == kMsgDiscover || type == kMsgSiteSurvey || type == kMsgKeepalive ||
         type == kMsgRelease;
}
