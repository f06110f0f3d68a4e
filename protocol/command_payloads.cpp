#include "protocol/command_payloads.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "util/text_encoding.h"

namespace {

constexpr std::size_t kIpBlockOffset = offsetof(ap_info_stu, ip_mode);
constexpr std::size_t kWirelessOffset = offsetof(ap_info_stu, rf_count);
constexpr std::size_t kScheduleOffset = offsetof(ap_info_stu, restart_en);
constexpr std::size_t kBridgeOffset = offsetof(ap_info_stu, bridge_work_mode);
constexpr std::size_t kBridgeBlockSize = kSetBridgePayloadSize - kSetIpPayloadSize;
constexpr std::size_t kVlanOffset = offsetof(ap_info_stu, vlan_en);
constexpr std::size_t kVlanRestartAt = 8;
constexpr std::size_t kTextArea = 32;

const uint8_t* RecordBytes(const ap_info_stu& device) {
  return reinterpret_cast<const uint8_t*>(&device);
}

CommandPayload Slice(const ap_info_stu& device, std::size_t offset, std::size_t size) {
  const uint8_t* bytes = RecordBytes(device) + offset;
  return CommandPayload(bytes, bytes + size);
}

// Rewrites the 33-byte area at `area` (text, then its length) with the text
// as the device expects it, cut to the area.
void PutDeviceText(uint8_t* area, std::string_view localText) {
  const std::string converted = LocalTextToDevice(localText);
  const std::string_view cut = CutAtCharacterBoundary(converted, kTextArea);
  std::memset(area, 0, kTextArea);
  std::memcpy(area, cut.data(), cut.size());
  area[kTextArea] = static_cast<uint8_t>(cut.size());
}

void ConvertArea(uint8_t* area) {
  const std::size_t length = std::min<std::size_t>(area[kTextArea], kTextArea);
  const std::string text(reinterpret_cast<const char*>(area), length);
  PutDeviceText(area, text);
}

void PutIp(uint8_t* at, const IpBytes& address) { std::memcpy(at, address.data(), address.size()); }

IpBytes IpAt(const uint8_t* at) {
  IpBytes address{};
  std::memcpy(address.data(), at, address.size());
  return address;
}

}  // namespace

IpBlock IpBlockOf(const ap_info_stu& device) {
  IpBlock block;
  block.ip_mode = device.ip_mode;
  block.ip = IpAt(device.ip);
  block.mask = IpAt(device.ip_mask);
  block.gateway = IpAt(device.ip_gateway);
  block.dns1 = IpAt(device.ip_dns1);
  block.dns2 = IpAt(device.ip_dns2);
  block.restart_flag = device.restart_flag;
  return block;
}

IpBlock MultiDeviceIpBlock(const IpBytes& ip, const IpBytes& mask, const IpBytes& gateway,
                           const IpBytes& dns1, const IpBytes& dns2) {
  return {1, ip, mask, gateway, dns1, dns2, 1};
}

CommandPayload SetIpPayload(const IpBlock& block) {
  CommandPayload payload(kSetIpPayloadSize);
  payload[0] = block.ip_mode;
  PutIp(&payload[1], block.ip);
  PutIp(&payload[5], block.mask);
  PutIp(&payload[9], block.gateway);
  PutIp(&payload[13], block.dns1);
  PutIp(&payload[17], block.dns2);
  payload[21] = block.restart_flag;
  return payload;
}

CommandPayload SetWirelessPayload(const ap_info_stu& device) {
  CommandPayload payload = Slice(device, kWirelessOffset, kSetWirelessPayloadSize);
  ConvertArea(&payload[offsetof(ap_info_stu, ssid) - kWirelessOffset]);
  return payload;
}

CommandPayload SetRebootSchedulePayload(const ap_info_stu& device) {
  return Slice(device, kScheduleOffset, kSetRebootSchedulePayloadSize);
}

CommandPayload SetBridgePayload(const ap_info_stu& device, const IpBlock& ip) {
  CommandPayload payload = Slice(device, kBridgeOffset, kBridgeBlockSize);
  ConvertArea(&payload[offsetof(ap_info_stu, bridge_ssid) - kBridgeOffset]);
  const CommandPayload block = SetIpPayload(ip);
  payload.insert(payload.end(), block.begin(), block.end());
  return payload;
}

CommandPayload SetNamePayload(std::string_view localName) {
  CommandPayload payload(kSetNamePayloadSize);
  PutDeviceText(payload.data(), localName);
  return payload;
}

bool HasLongVlanBlock(uint16_t apType) { return apType == 10 || apType == 11; }

CommandPayload SetVlanPayload(const ap_info_stu& device, bool alsoSetsIp) {
  CommandPayload payload =
      Slice(device, kVlanOffset,
            HasLongVlanBlock(device.ap_type) ? kSetVlanLongPayloadSize : kSetVlanShortPayloadSize);
  payload[kVlanRestartAt] = alsoSetsIp ? 1 : 0;
  return payload;
}

CommandPayload SetTransparentBridgePayload(bool on) {
  CommandPayload payload(kSwitchPayloadSize);
  payload[0] = on ? 1 : 0;
  return payload;
}

CommandPayload SetTdmaPayload(bool on) {
  CommandPayload payload(kSwitchPayloadSize);
  payload[1] = on ? 1 : 0;
  return payload;
}

std::optional<CommandPayload> UpgradePayload(std::string_view fileName, uint32_t fileSize) {
  if (fileName.empty() || fileName.size() > kUpgradeNameMax) return std::nullopt;
  CommandPayload payload(kUpgradePayloadSize);
  std::memcpy(payload.data(), fileName.data(), fileName.size());
  payload[260] = static_cast<uint8_t>(fileName.size());
  for (int i = 0; i < 4; ++i) payload[264 + i] = static_cast<uint8_t>(fileSize >> (8 * i));
  return payload;
}
