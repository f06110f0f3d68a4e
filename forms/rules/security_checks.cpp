#include "forms/rules/security_checks.h"

#include "forms/rules/address_rules.h"
#include "forms/rules/text_rules.h"

namespace {

constexpr std::string_view kInvalidPreSharedKey =
    "Please enter a key for 8~63 ASCII characters or 8~64 HEX characters!";
constexpr std::string_view kEmptyInterval = "The key update interval should not be empty!";
constexpr std::string_view kIntervalRange = "The key update interval range: 60~99999 or 0!";
constexpr std::string_view kInvalidRadiusServer = "Please enter a valid RADIUS Server address!";
constexpr std::string_view kInvalidRadiusPort = "Please specify a valid RADIUS Port!";
constexpr std::string_view kInvalidRadiusKey = "Please enter a key for 1~64 ASCII characters!";
constexpr std::string_view kInvalidHexWepKey =
    "WEP key is invalid! Please enter 10 or 26 HEX characters!";
constexpr std::string_view kInvalidAsciiWepKeyLength =
    "WEP key is invalid! Please enter 5 or 13 ASCII characters!";
constexpr std::string_view kInvalidAsciiWepKeyCharacters =
    "WEP key includes invalid characters (It should only include 0-9,a-z,A-Z,@,*,- and _.)!";
constexpr std::array<std::string_view, 4> kEmptyDefaultWepKey = {
    "Please enter the WEP key1!", "Please enter the WEP key2!", "Please enter the WEP key3!",
    "Please enter the WEP key4!"};

constexpr std::size_t kMinPreSharedKeyLength = 8;
constexpr std::size_t kHexPreSharedKeyLength = 64;
constexpr std::size_t kMaxRadiusKeyLength = 64;
constexpr int kMinInterval = 60;
constexpr int kMaxInterval = 99999;
constexpr int kMaxPort = 65535;

CheckResult Warn(std::string_view key, FormField focus = FormField::kNone) {
  return CheckResult::Fail(key, MessageStyle::kWarning, focus);
}

CheckResult CheckKeyInterval(std::u16string_view interval, FormField field) {
  if (interval.empty()) return Warn(kEmptyInterval, field);
  const int seconds = LeadingDecimalValue(interval);
  if (seconds != 0 && (seconds < kMinInterval || seconds > kMaxInterval)) {
    return Warn(kIntervalRange, field);
  }
  return CheckResult::Pass();
}

}  // namespace

CheckResult CheckPreSharedKey(std::u16string_view key, std::u16string_view keyInterval,
                              KeyIntervalRule intervalRule) {
  if (key.size() < kMinPreSharedKeyLength || key.size() > kHexPreSharedKeyLength ||
      (key.size() == kHexPreSharedKeyLength && !IsAllHexDigits(key)) || !IsAllAscii(key)) {
    return Warn(kInvalidPreSharedKey);
  }
  if (intervalRule == KeyIntervalRule::kNotChecked) return CheckResult::Pass();
  return CheckKeyInterval(keyInterval, FormField::kKeyInterval);
}

CheckResult CheckRadius(std::u16string_view serverAddress, std::u16string_view port,
                        std::u16string_view key, std::u16string_view keyInterval) {
  // The server is a host address, and a blank control is no server.
  if (!IsValidHostAddress(serverAddress, false)) return Warn(kInvalidRadiusServer);
  const int portNumber = LeadingDecimalValue(port);
  if (portNumber < 1 || portNumber > kMaxPort) return Warn(kInvalidRadiusPort);
  if (key.empty() || key.size() > kMaxRadiusKeyLength || !IsAllAscii(key)) {
    return Warn(kInvalidRadiusKey);
  }
  return CheckKeyInterval(keyInterval, FormField::kRadiusKeyInterval);
}

CheckResult CheckWepKey(std::u16string_view key, WepKeyFormat format) {
  const auto fail = [](std::string_view message) {
    return CheckResult::Fail(message, MessageStyle::kWarningTitled);
  };
  if (format == WepKeyFormat::kHex) {
    if ((key.size() != 10 && key.size() != 26) || !IsAllHexDigits(key)) {
      return fail(kInvalidHexWepKey);
    }
    return CheckResult::Pass();
  }
  if (key.size() != 5 && key.size() != 13) return fail(kInvalidAsciiWepKeyLength);
  if (!IsAllAscii(key)) return fail(kInvalidAsciiWepKeyCharacters);
  return CheckResult::Pass();
}

CheckResult CheckWepKeys(const std::array<WepKeyEntry, 4>& keys, int defaultKey) {
  for (const WepKeyEntry& entry : keys) {
    if (entry.key.empty()) continue;
    CheckResult result = CheckWepKey(entry.key, entry.format);
    if (!result.passed) return result;
  }
  const std::size_t index =
      defaultKey >= 1 && defaultKey <= 4 ? static_cast<std::size_t>(defaultKey - 1) : 0;
  if (keys[index].key.empty()) {
    return CheckResult::Fail(kEmptyDefaultWepKey[index], MessageStyle::kWarningTitled);
  }
  return CheckResult::Pass();
}
