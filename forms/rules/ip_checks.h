#pragma once
// The composite checks of the IP tab, the bridge wizard's IP step and the
// multi-device IP form. Each runs its rules in a fixed order and reports the
// first failure; all messages are plain. Pure functions.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "forms/rules/check_result.h"
#include "store/device_text.h"

// The texts of the five address controls of one device.
struct IpSettingsTexts {
  std::u16string_view ip;
  std::u16string_view mask;
  std::u16string_view gateway;
  std::u16string_view primaryDns;
  std::u16string_view secondaryDns;
};

// The multi-device form's controls: a range of device addresses and the
// settings shared by every device.
struct IpRangeTexts {
  std::u16string_view firstIp;
  std::u16string_view lastIp;
  std::u16string_view mask;
  std::u16string_view gateway;
  std::u16string_view primaryDns;
  std::u16string_view secondaryDns;
};

CheckResult CheckIpSettings(const IpSettingsTexts& texts);

// With fewer than two devices the last address is not looked at.
CheckResult CheckIpRange(const IpRangeTexts& texts, std::size_t deviceCount);

// A changed address must not belong to another known device. storedIps is what
// CSqlManagement::GetAllIps returned (empty when the store could not be read);
// an unchanged address is never compared with it.
CheckResult CheckAddressChange(std::u16string_view newIp, const IpBytes& currentIp,
                               std::span<const std::string> storedIps);
