#pragma once
// The SSID and device name checks. KT400 and LM50 devices take the strict name
// rule, every other model the Chinese-or-ASCII rule. Warning style; the focus
// goes to the checked field. Pure functions.

#include <cstdint>
#include <string_view>

#include "forms/rules/check_result.h"

CheckResult CheckSsid(std::u16string_view ssid, uint16_t apType);
CheckResult CheckDeviceName(std::u16string_view name, uint16_t apType);
