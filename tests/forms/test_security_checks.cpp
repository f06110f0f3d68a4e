#include "forms/rules/security_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

constexpr const char* kPass = "";
constexpr const char* kInvalidKey =
    "Please enter a key for 8~63 ASCII characters or 8~64 HEX characters!";
constexpr const char* kEmptyInterval = "The key update interval should not be empty!";
constexpr const char* kIntervalRange = "The key update interval range: 60~99999 or 0!";

void ExpectResult(const CheckResult& result, std::string_view message, MessageStyle style,
                  FormField focus) {
  EXPECT_EQ(result.passed, message.empty());
  EXPECT_EQ(result.messageKey, message);
  if (!result.passed) {
    EXPECT_EQ(result.style, style);
  }
  EXPECT_EQ(result.focus, focus);
}

const std::u16string kHex64 = std::u16string(63, u'a') + u"0";
const std::u16string kHex63WithG = std::u16string(62, u'a') + u"g";

struct PreSharedKeyCase {
  const char* name;
  std::u16string key;
  std::u16string interval;
  KeyIntervalRule rule;
  const char* message;
  FormField focus;
};

void PrintTo(const PreSharedKeyCase& row, std::ostream* out) { *out << row.name; }

class PreSharedKeyCheck : public ::testing::TestWithParam<PreSharedKeyCase> {};

TEST_P(PreSharedKeyCheck, KeyThenInterval) {
  const PreSharedKeyCase& row = GetParam();
  ExpectResult(CheckPreSharedKey(row.key, row.interval, row.rule), row.message,
               MessageStyle::kWarning, row.focus);
}

constexpr auto kChecked = KeyIntervalRule::kChecked;
constexpr auto kNone = FormField::kNone;
constexpr auto kInterval = FormField::kKeyInterval;

INSTANTIATE_TEST_SUITE_P(
    Table, PreSharedKeyCheck,
    ::testing::Values(
        PreSharedKeyCase{"EightAscii", u"12345678", u"3600", kChecked, kPass, kNone},
        PreSharedKeyCase{"SevenAscii", u"1234567", u"3600", kChecked, kInvalidKey, kNone},
        PreSharedKeyCase{"Empty", u"", u"3600", kChecked, kInvalidKey, kNone},
        PreSharedKeyCase{"SixtyFourHex", kHex64, u"0", kChecked, kPass, kNone},
        PreSharedKeyCase{"SixtyFourWithG", kHex64.substr(1) + u"g", u"0", kChecked, kInvalidKey,
                         kNone},
        PreSharedKeyCase{"SixtyThreeWithG", kHex63WithG, u"0", kChecked, kPass, kNone},
        PreSharedKeyCase{"SixtyFive", kHex64 + u"0", u"0", kChecked, kInvalidKey, kNone},
        PreSharedKeyCase{"NotAscii", u"passwort\u00DF", u"0", kChecked, kInvalidKey, kNone},
        PreSharedKeyCase{"KeyBeforeInterval", u"short", u"", kChecked, kInvalidKey, kNone},
        PreSharedKeyCase{"IntervalEmpty", u"12345678", u"", kChecked, kEmptyInterval, kInterval},
        PreSharedKeyCase{"Interval0", u"12345678", u"0", kChecked, kPass, kNone},
        PreSharedKeyCase{"Interval60", u"12345678", u"60", kChecked, kPass, kNone},
        PreSharedKeyCase{"Interval99999", u"12345678", u"99999", kChecked, kPass, kNone},
        PreSharedKeyCase{"Interval59", u"12345678", u"59", kChecked, kIntervalRange, kInterval},
        PreSharedKeyCase{"Interval100000", u"12345678", u"100000", kChecked, kIntervalRange,
                         kInterval},
        PreSharedKeyCase{"IntervalNoDigitsIsZero", u"12345678", u"x", kChecked, kPass, kNone},
        PreSharedKeyCase{"BridgeSkipsInterval", u"12345678", u"59", KeyIntervalRule::kNotChecked,
                         kPass, kNone},
        PreSharedKeyCase{"BridgeStillChecksKey", u"1234567", u"0", KeyIntervalRule::kNotChecked,
                         kInvalidKey, kNone}),
    RowName<PreSharedKeyCase>);

struct RadiusCase {
  const char* name;
  std::u16string server, port, key, interval;
  const char* message;
  FormField focus;
};

void PrintTo(const RadiusCase& row, std::ostream* out) { *out << row.name; }

class RadiusCheck : public ::testing::TestWithParam<RadiusCase> {};

TEST_P(RadiusCheck, ServerPortKeyInterval) {
  const RadiusCase& row = GetParam();
  ExpectResult(CheckRadius(row.server, row.port, row.key, row.interval), row.message,
               MessageStyle::kWarning, row.focus);
}

constexpr const char* kInvalidServer = "Please enter a valid RADIUS Server address!";
constexpr const char* kInvalidPort = "Please specify a valid RADIUS Port!";
constexpr const char* kInvalidRadiusKey = "Please enter a key for 1~64 ASCII characters!";
constexpr auto kRadiusInterval = FormField::kRadiusKeyInterval;

INSTANTIATE_TEST_SUITE_P(
    Table, RadiusCheck,
    ::testing::Values(
        RadiusCase{"Valid", u"10.0.0.5", u"1812", u"s", u"0", kPass, kNone},
        RadiusCase{"BlankServer", u"", u"1812", u"s", u"0", kInvalidServer, kNone},
        RadiusCase{"ZeroServer", u"0.0.0.0", u"1812", u"s", u"0", kInvalidServer, kNone},
        RadiusCase{"ServerLastOctet255", u"10.0.0.255", u"", u"", u"", kInvalidServer, kNone},
        RadiusCase{"PortEmpty", u"10.0.0.5", u"", u"s", u"0", kInvalidPort, kNone},
        RadiusCase{"Port0", u"10.0.0.5", u"0", u"s", u"0", kInvalidPort, kNone},
        RadiusCase{"Port65535", u"10.0.0.5", u"65535", u"s", u"0", kPass, kNone},
        RadiusCase{"Port65536", u"10.0.0.5", u"65536", u"s", u"0", kInvalidPort, kNone},
        RadiusCase{"PortWithLetters", u"10.0.0.5", u"1812udp", u"s", u"0", kPass, kNone},
        RadiusCase{"PortLettersFirst", u"10.0.0.5", u"udp1812", u"s", u"0", kInvalidPort, kNone},
        RadiusCase{"PortNegative", u"10.0.0.5", u"-1812", u"s", u"0", kInvalidPort, kNone},
        RadiusCase{"KeyEmpty", u"10.0.0.5", u"1812", u"", u"0", kInvalidRadiusKey, kNone},
        RadiusCase{"Key64", u"10.0.0.5", u"1812", std::u16string(64, u'k'), u"0", kPass, kNone},
        RadiusCase{"Key65", u"10.0.0.5", u"1812", std::u16string(65, u'k'), u"0", kInvalidRadiusKey,
                   kNone},
        RadiusCase{"KeyNotAscii", u"10.0.0.5", u"1812", u"秘密", u"0", kInvalidRadiusKey, kNone},
        RadiusCase{"IntervalEmpty", u"10.0.0.5", u"1812", u"s", u"", kEmptyInterval,
                   kRadiusInterval},
        RadiusCase{"Interval59", u"10.0.0.5", u"1812", u"s", u"59", kIntervalRange,
                   kRadiusInterval},
        RadiusCase{"Interval99999", u"10.0.0.5", u"1812", u"s", u"99999", kPass, kNone}),
    RowName<RadiusCase>);

constexpr const char* kHexMessage = "WEP key is invalid! Please enter 10 or 26 HEX characters!";
constexpr const char* kAsciiLengthMessage =
    "WEP key is invalid! Please enter 5 or 13 ASCII characters!";
constexpr const char* kAsciiCharacterMessage =
    "WEP key includes invalid characters (It should only include 0-9,a-z,A-Z,@,*,- and _.)!";

struct WepKeyCase {
  const char* name;
  std::u16string key;
  WepKeyFormat format;
  const char* message;
};

void PrintTo(const WepKeyCase& row, std::ostream* out) { *out << row.name; }

class WepKeyRule : public ::testing::TestWithParam<WepKeyCase> {};

TEST_P(WepKeyRule, LengthAndCharactersByFormat) {
  ExpectResult(CheckWepKey(GetParam().key, GetParam().format), GetParam().message,
               MessageStyle::kWarningTitled, kNone);
}

constexpr auto kHex = WepKeyFormat::kHex;
constexpr auto kAscii = WepKeyFormat::kAscii;

INSTANTIATE_TEST_SUITE_P(
    Table, WepKeyRule,
    ::testing::Values(WepKeyCase{"Hex10", u"0123456789", kHex, kPass},
                      WepKeyCase{"Hex26", u"0123456789abcdefABCDEF0123", kHex, kPass},
                      WepKeyCase{"Hex11", u"0123456789a", kHex, kHexMessage},
                      WepKeyCase{"Hex10WithG", u"012345678g", kHex, kHexMessage},
                      WepKeyCase{"Hex5", u"abcde", kHex, kHexMessage},
                      WepKeyCase{"Ascii5", u"ab c!", kAscii, kPass},
                      WepKeyCase{"Ascii13", u"abcdefghijklm", kAscii, kPass},
                      WepKeyCase{"Ascii10", u"0123456789", kAscii, kAsciiLengthMessage},
                      WepKeyCase{"Ascii5NotAscii", u"abcd\u00E9", kAscii, kAsciiCharacterMessage},
                      WepKeyCase{"Ascii4NotAscii", u"abc\u00E9", kAscii, kAsciiLengthMessage}),
    RowName<WepKeyCase>);

TEST(WepKeysCheck, EmptyDefaultKeyFailsAfterTheKeys) {
  const std::array<WepKeyEntry, 4> defaultTwoEmpty = {
      WepKeyEntry{u"12345", kAscii}, WepKeyEntry{u"", kAscii}, WepKeyEntry{u"0123456789", kHex},
      WepKeyEntry{u"abcdefghijklm", kAscii}};
  ExpectResult(CheckWepKeys(defaultTwoEmpty, 2), "Please enter the WEP key2!",
               MessageStyle::kWarningTitled, kNone);
  ExpectResult(CheckWepKeys(defaultTwoEmpty, 1), kPass, MessageStyle::kWarningTitled, kNone);
  ExpectResult(CheckWepKeys(defaultTwoEmpty, 4), kPass, MessageStyle::kWarningTitled, kNone);

  const std::array<WepKeyEntry, 4> onlyKeyThree = {WepKeyEntry{}, WepKeyEntry{},
                                                   WepKeyEntry{u"0123456789", kHex}, WepKeyEntry{}};
  ExpectResult(CheckWepKeys(onlyKeyThree, 3), kPass, MessageStyle::kWarningTitled, kNone);
  ExpectResult(CheckWepKeys(onlyKeyThree, 4), "Please enter the WEP key4!",
               MessageStyle::kWarningTitled, kNone);
  // A number outside 1 to 4 stands for key 1.
  ExpectResult(CheckWepKeys(onlyKeyThree, 0), "Please enter the WEP key1!",
               MessageStyle::kWarningTitled, kNone);
  ExpectResult(CheckWepKeys(onlyKeyThree, 7), "Please enter the WEP key1!",
               MessageStyle::kWarningTitled, kNone);
}

TEST(WepKeysCheck, InvalidKeyFailsBeforeTheDefaultKey) {
  const std::array<WepKeyEntry, 4> keys = {WepKeyEntry{}, WepKeyEntry{u"12345", kAscii},
                                           WepKeyEntry{u"12345", kHex},
                                           WepKeyEntry{u"123", kAscii}};
  ExpectResult(CheckWepKeys(keys, 1), kHexMessage, MessageStyle::kWarningTitled, kNone);
}

}  // namespace
