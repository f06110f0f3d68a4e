#include "forms/rules/name_checks.h"

#include "forms/rules/text_rules.h"
#include "store/device_text.h"

namespace {

struct NameMessages {
  std::string_view empty;
  std::string_view strictRule;
  std::string_view chineseOrAsciiRule;
};

constexpr NameMessages kSsidMessages = {
    "The ssid can not be empty!",
    "SSID maximum allowed 32 bytes, only support combination of Chinese, lowercase letters, 0-9 "
    "numbers",
    "SSID maximum allowed 32 bytes, only support combination of Chinese, ASCII characters",
};

constexpr NameMessages kDeviceNameMessages = {
    "The device name can not be empty!",
    "Device name maximum allowed 32 bytes, only support combination of Chinese, lowercase "
    "letters, 0-9 numbers",
    "Device name maximum allowed 32 bytes, only support combination of Chinese, ASCII characters",
};

CheckResult CheckName(std::u16string_view name, uint16_t apType, const NameMessages& messages,
                      FormField field) {
  if (name.empty()) return CheckResult::Fail(messages.empty, MessageStyle::kWarning, field);
  if (IsStrictNameModel(apType)) {
    if (!IsStrictName(name)) {
      return CheckResult::Fail(messages.strictRule, MessageStyle::kWarning, field);
    }
  } else if (!IsChineseOrAsciiName(name)) {
    return CheckResult::Fail(messages.chineseOrAsciiRule, MessageStyle::kWarning, field);
  }
  return CheckResult::Pass();
}

}  // namespace

CheckResult CheckSsid(std::u16string_view ssid, uint16_t apType) {
  return CheckName(ssid, apType, kSsidMessages, FormField::kSsid);
}

CheckResult CheckDeviceName(std::u16string_view name, uint16_t apType) {
  return CheckName(name, apType, kDeviceNameMessages, FormField::kDeviceName);
}
