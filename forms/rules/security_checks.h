#pragma once
// The checks of the security settings: pre-shared key (modes 2 to 4), RADIUS
// (modes 5 and 6) and WEP keys (mode 1). Key lengths count UTF-16 code units,
// as the edit controls do. Warning style throughout. Pure functions.

#include <array>
#include <string_view>

#include "forms/rules/check_result.h"

// The bridge wizard keeps the interval field hidden at 0 and does not check it.
enum class KeyIntervalRule { kChecked, kNotChecked };

CheckResult CheckPreSharedKey(std::u16string_view key, std::u16string_view keyInterval,
                              KeyIntervalRule intervalRule);

CheckResult CheckRadius(std::u16string_view serverAddress, std::u16string_view port,
                        std::u16string_view key, std::u16string_view keyInterval);

enum class WepKeyFormat { kAscii, kHex };

struct WepKeyEntry {
  std::u16string_view key;
  WepKeyFormat format = WepKeyFormat::kAscii;
};

// One key: 10 or 26 hex digits, or 5 or 13 ASCII characters.
CheckResult CheckWepKey(std::u16string_view key, WepKeyFormat format);

// Keys 1 to 4 in order, each checked when not empty; then the default key,
// numbered 1 to 4 as the device's wep_key_index (another number counts as key
// 1), must not be empty.
CheckResult CheckWepKeys(const std::array<WepKeyEntry, 4>& keys, int defaultKey);
