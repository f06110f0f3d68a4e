#pragma once
// Payloads of the commands sent to one device: configuration (set_ip,
// set_wireless, set_reboot_schedule, set_bridge, set_name, set_vlan, the two
// switches) and control (upgrade). Each is a slice of a Device record that a
// form has edited, or built from the form's values; the record's unnamed bytes
// travel back unchanged. reboot, factory_reset, upgrade_query and site_survey
// carry no payload. Pure functions, any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "store/ap_info_stu.h"
#include "store/device_text.h"

using CommandPayload = std::vector<uint8_t>;

inline constexpr std::size_t kSetIpPayloadSize = 22;
inline constexpr std::size_t kSetWirelessPayloadSize = 328;
inline constexpr std::size_t kSetRebootSchedulePayloadSize = 4;
inline constexpr std::size_t kSetBridgePayloadSize = 326;
inline constexpr std::size_t kSetNamePayloadSize = 33;
inline constexpr std::size_t kSetVlanShortPayloadSize = 10;
inline constexpr std::size_t kSetVlanLongPayloadSize = 22;
inline constexpr std::size_t kSwitchPayloadSize = 12;
inline constexpr std::size_t kUpgradePayloadSize = 268;
// The name area of upgrade is 260 bytes, but its length byte counts to 255.
inline constexpr std::size_t kUpgradeNameMax = 255;

// The IP block of set_ip and set_bridge (record offsets 32..53).
struct IpBlock {
  uint8_t ip_mode = 0;
  IpBytes ip{};
  IpBytes mask{};
  IpBytes gateway{};
  IpBytes dns1{};
  IpBytes dns2{};
  uint8_t restart_flag = 0;
};

IpBlock IpBlockOf(const ap_info_stu& device);
// The block the multi-device IP form gives each device: static addressing,
// restart flag 1.
IpBlock MultiDeviceIpBlock(const IpBytes& ip, const IpBytes& mask, const IpBytes& gateway,
                           const IpBytes& dns1, const IpBytes& dns2);

CommandPayload SetIpPayload(const IpBlock& block);
// Record 124..451 with the SSID converted for the device and cut to 32 bytes.
CommandPayload SetWirelessPayload(const ap_info_stu& device);
CommandPayload SetRebootSchedulePayload(const ap_info_stu& device);
// The bridge block (record 452..755, bridge SSID converted) and the IP block.
CommandPayload SetBridgePayload(const ap_info_stu& device, const IpBlock& ip);
// The name converted for the device, cut to 32 bytes at a character boundary.
CommandPayload SetNamePayload(std::string_view localName);
// Record 756..765, or 756..777 for the models with the long block (ap_type 10
// and 11); byte 8 is the restart flag: 1 when the same save also sends set_ip.
CommandPayload SetVlanPayload(const ap_info_stu& device, bool alsoSetsIp);
bool HasLongVlanBlock(uint16_t apType);
CommandPayload SetTransparentBridgePayload(bool on);
CommandPayload SetTdmaPayload(bool on);
// Nothing when the file name does not fit its length byte.
std::optional<CommandPayload> UpgradePayload(std::string_view fileName, uint32_t fileSize);
