#include "forms/rules/ip_checks.h"

#include <optional>

#include "forms/rules/address_rules.h"
#include "forms/rules/utf16_text.h"

namespace {

constexpr std::string_view kInvalidIp = "The ip address is invalid!";
constexpr std::string_view kInvalidMask = "The subnet mask is invalid!";
constexpr std::string_view kInvalidGateway = "The gateway address is invalid!";
constexpr std::string_view kIpIsGateway = "The ip address and gateway address cannot be the same!";
constexpr std::string_view kOtherSubnet =
    "Ip address and gateway address is not in the same subnet!";
constexpr std::string_view kInvalidPrimaryDns = "The primary DNS Server is invalid!";
constexpr std::string_view kInvalidSecondaryDns = "The secondary DNS Server is invalid!";
constexpr std::string_view kAddressInUse = "The ip address is already in use, please respecify!";

CheckResult Fail(std::string_view key) { return CheckResult::Fail(key, MessageStyle::kPlain); }

// Compared as addresses, so that "10.0.0.1" and "10.0.0.01" are the same. Only
// called on texts that already passed the address rules.
bool IsSameAddress(std::u16string_view a, std::u16string_view b) {
  const std::optional<IpBytes> first = ParseAddressText(a);
  const std::optional<IpBytes> second = ParseAddressText(b);
  return first && second && *first == *second;
}

bool IsOutsideGatewaySubnet(std::u16string_view ip, std::u16string_view gateway,
                            std::u16string_view mask) {
  return !IsBlankAddress(gateway) && !IsSameSubnet(ip, gateway, mask);
}

CheckResult CheckDnsServers(std::u16string_view primary, std::u16string_view secondary) {
  if (!IsValidHostAddress(primary, true)) return Fail(kInvalidPrimaryDns);
  if (!IsValidHostAddress(secondary, true)) return Fail(kInvalidSecondaryDns);
  return CheckResult::Pass();
}

}  // namespace

CheckResult CheckIpSettings(const IpSettingsTexts& texts) {
  if (!IsValidHostAddress(texts.ip, false)) return Fail(kInvalidIp);
  if (!IsValidSubnetMask(texts.mask)) return Fail(kInvalidMask);
  if (!IsValidHostAddress(texts.gateway, true)) return Fail(kInvalidGateway);
  if (IsSameAddress(texts.ip, texts.gateway)) return Fail(kIpIsGateway);
  if (IsOutsideGatewaySubnet(texts.ip, texts.gateway, texts.mask)) return Fail(kOtherSubnet);
  return CheckDnsServers(texts.primaryDns, texts.secondaryDns);
}

CheckResult CheckIpRange(const IpRangeTexts& texts, std::size_t deviceCount) {
  const bool isRange = deviceCount >= 2;
  if (!IsValidHostAddress(texts.firstIp, false)) return Fail(kInvalidIp);
  if (!IsValidSubnetMask(texts.mask)) return Fail(kInvalidMask);
  if (!IsValidHostAddress(texts.gateway, true)) return Fail(kInvalidGateway);
  if (IsSameAddress(texts.firstIp, texts.gateway)) return Fail(kIpIsGateway);
  if (isRange) {
    if (!IsValidHostAddress(texts.lastIp, false)) return Fail(kInvalidIp);
    if (AddressNumber(*ParseAddressText(texts.firstIp)) >=
        AddressNumber(*ParseAddressText(texts.lastIp))) {
      return Fail(kInvalidIp);
    }
    if (IsSameAddress(texts.lastIp, texts.gateway)) return Fail(kIpIsGateway);
  }
  if (IsOutsideGatewaySubnet(texts.firstIp, texts.gateway, texts.mask) ||
      (isRange && IsOutsideGatewaySubnet(texts.lastIp, texts.gateway, texts.mask))) {
    return Fail(kOtherSubnet);
  }
  return CheckDnsServers(texts.primaryDns, texts.secondaryDns);
}

CheckResult CheckAddressChange(std::u16string_view newIp, const IpBytes& currentIp,
                               std::span<const std::string> storedIps) {
  const std::optional<IpBytes> parsed = ParseAddressText(newIp);
  if (parsed && *parsed == currentIp) return CheckResult::Pass();
  // The store keeps addresses in their canonical text form.
  const std::u16string canonical =
      parsed ? Utf8ToUtf16(IpText(parsed->data())) : std::u16string(newIp);
  if (IsAddressInUse(canonical, storedIps)) return Fail(kAddressInUse);
  return CheckResult::Pass();
}
