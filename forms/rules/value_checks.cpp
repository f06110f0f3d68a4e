#include "forms/rules/value_checks.h"

#include <algorithm>

#include "forms/rules/text_rules.h"

namespace {

constexpr int kMinVlanId = 1;
constexpr int kMaxVlanId = 4094;

CheckResult Warn(std::string_view key, FormField focus = FormField::kNone) {
  return CheckResult::Fail(key, MessageStyle::kWarning, focus);
}

bool IsWithin(std::u16string_view text, int minimum, int maximum) {
  if (text.empty()) return false;
  const int value = LeadingDecimalValue(text);
  return value >= minimum && value <= maximum;
}

}  // namespace

CheckResult CheckPower(std::u16string_view power, int powerMin, int powerMax) {
  if (IsWithin(power, powerMin, powerMax)) return CheckResult::Pass();
  CheckResult result = Warn("Power value range:%d-%d", FormField::kPower);
  result.fill = MessageFill::kRange;
  result.rangeMin = powerMin;
  result.rangeMax = powerMax;
  return result;
}

CheckResult CheckVlanId(std::u16string_view vlanId, std::string_view labelKey, FormField field) {
  if (IsWithin(vlanId, kMinVlanId, kMaxVlanId)) return CheckResult::Pass();
  CheckResult result = Warn("range:1-4094", field);
  result.fill = MessageFill::kFieldLabel;
  result.labelKey = labelKey;
  return result;
}

CheckResult CheckRebootTime(bool enabled, std::u16string_view hour, std::u16string_view minute,
                            const RebootDays& days) {
  if (!enabled) return CheckResult::Pass();
  if (hour.empty() || minute.empty()) return Warn("The time can not be empty!");
  // The edits take digits only; a sign typed into the command-line tool is no time either.
  if (!IsWithin(hour, 0, 23) || !IsWithin(minute, 0, 59)) return Warn("The time is error!");
  if (std::none_of(days.begin(), days.end(), [](bool day) { return day; })) {
    return Warn("Please selectting the day that you want to reboot!");
  }
  return CheckResult::Pass();
}
