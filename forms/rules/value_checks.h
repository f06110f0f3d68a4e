#pragma once
// Checks of the numeric fields: transmit power, VLAN IDs and the reboot
// schedule's time and days. The fields hold digits, read by their leading
// decimal digits. Warning style. Pure functions.

#include <array>
#include <cstdint>
#include <string_view>

#include "forms/rules/check_result.h"

// Within the device's own range, both ends included; the message shows the
// range.
CheckResult CheckPower(std::u16string_view power, int powerMin, int powerMax);

// 1 to 4094. The message starts with the field's label, given as its language
// key ("VLAN", "WLAN", "PVID", "LAN", "LAN2" ...); the focus goes to `field`.
CheckResult CheckVlanId(std::u16string_view vlanId, std::string_view labelKey, FormField field);

// Monday to Sunday, then Everyday.
using RebootDays = std::array<bool, 8>;

// A disabled schedule passes without looking at the other fields.
CheckResult CheckRebootTime(bool enabled, std::u16string_view hour, std::u16string_view minute,
                            const RebootDays& days);
