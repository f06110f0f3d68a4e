#pragma once
// Text forms of the Device record's coded fields, and the address texts.
// The same texts are written into the store's text columns, shown in the grids
// and matched by the list filter. Translated forms use the current language.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Status codes of ap_status. kAnnounced marks devices seen only by an
// announcement; it is never stored.
enum DeviceStatus : int {
  kStatusOutline = 0,
  kStatusOnline = 1,
  kStatusBridgeSuccess = 2,
  kStatusBridgeFail = 3,
  kStatusRestarting = 4,
  kStatusReseting = 5,
  kStatusUpgradeWait = 6,
  kStatusUpgrading = 7,
  kStatusUpgradeSuccess = 8,
  kStatusUpgradeFail = 9,
  kStatusAnnounced = 10,
};

// Operation mode of work_mode that the rules single out.
inline constexpr uint8_t kWorkModeStation = 2;

std::string ModelText(uint16_t code);
uint16_t ModelCode(std::string_view name);

// Model groups that change behaviour.
bool IsStrictNameModel(uint16_t code);
bool HasTdmaSwitch(uint16_t code);
bool HasTransparentBridgeSwitch(uint16_t code);

std::string StatusText(int code);
std::string WorkModeText(int code);
std::string SecureModeText(int code);
std::string ChannelText(int channel);
std::string UpTimeText(uint32_t seconds);
// What a switch column shows for a device without that switch; not translated.
inline constexpr const char* kNotApplicableText = "N/A";
std::string TransparentBridgeText(uint16_t model, int workMode, int on);
std::string TdmaText(uint16_t model, int on);

using IpBytes = std::array<uint8_t, 4>;
using MacBytes = std::array<uint8_t, 6>;

std::string IpText(const uint8_t ip[4]);
IpBytes ParseIpText(std::string_view text);
std::string MacText(const uint8_t mac[6]);
MacBytes ParseMacText(std::string_view text);

// The address as a number whose least significant byte is the first octet, so
// that ordering by it orders addresses by their last octet first.
uint32_t IpNumber(const uint8_t ip[4]);
