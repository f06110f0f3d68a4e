#include "forms/rules/name_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

constexpr uint16_t kStrictKt400 = 4;
constexpr uint16_t kStrictLm50 = 261;
constexpr uint16_t kOtherModel = 5;

const std::u16string kTenChinese = u"一二三四五六七八九十";

struct NameCheckCase {
  const char* name;
  std::u16string text;
  uint16_t apType;
  const char* ssidMessage;        // empty when the check passes
  const char* deviceNameMessage;  // likewise
};

void PrintTo(const NameCheckCase& row, std::ostream* out) { *out << row.name; }

class NameChecks : public ::testing::TestWithParam<NameCheckCase> {};

TEST_P(NameChecks, WarnAndFocusTheField) {
  const NameCheckCase& row = GetParam();
  const CheckResult ssid = CheckSsid(row.text, row.apType);
  EXPECT_EQ(ssid.passed, std::string_view(row.ssidMessage).empty());
  EXPECT_EQ(ssid.messageKey, row.ssidMessage);
  const CheckResult name = CheckDeviceName(row.text, row.apType);
  EXPECT_EQ(name.passed, std::string_view(row.deviceNameMessage).empty());
  EXPECT_EQ(name.messageKey, row.deviceNameMessage);
  if (!ssid.passed) {
    EXPECT_EQ(ssid.style, MessageStyle::kWarning);
    EXPECT_EQ(ssid.focus, FormField::kSsid);
  }
  if (!name.passed) {
    EXPECT_EQ(name.style, MessageStyle::kWarning);
    EXPECT_EQ(name.focus, FormField::kDeviceName);
  }
}

constexpr const char* kSsidStrict =
    "SSID maximum allowed 32 bytes, only support combination of Chinese, lowercase letters, 0-9 "
    "numbers";
constexpr const char* kSsidOther =
    "SSID maximum allowed 32 bytes, only support combination of Chinese, ASCII characters";
constexpr const char* kNameStrict =
    "Device name maximum allowed 32 bytes, only support combination of Chinese, lowercase "
    "letters, 0-9 numbers";
constexpr const char* kNameOther =
    "Device name maximum allowed 32 bytes, only support combination of Chinese, ASCII characters";

INSTANTIATE_TEST_SUITE_P(
    Table, NameChecks,
    ::testing::Values(
        NameCheckCase{"EmptyStrict", u"", kStrictKt400, "The ssid can not be empty!",
                      "The device name can not be empty!"},
        NameCheckCase{"EmptyOther", u"", kOtherModel, "The ssid can not be empty!",
                      "The device name can not be empty!"},
        NameCheckCase{"BlankStrict", u"my ap", kStrictKt400, kSsidStrict, kNameStrict},
        NameCheckCase{"BlankOtherModel", u"my ap", kOtherModel, "", ""},
        NameCheckCase{"BlankLm50", u"my ap", kStrictLm50, kSsidStrict, kNameStrict},
        NameCheckCase{"UpperCaseStrict", u"ROOF-1", kStrictLm50, "", ""},
        NameCheckCase{"TenChineseTwoAscii", kTenChinese + u"ab", kStrictKt400, "", ""},
        NameCheckCase{"ElevenChineseStrict", kTenChinese + u"中", kStrictKt400, kSsidStrict,
                      kNameStrict},
        NameCheckCase{"ElevenChineseOther", kTenChinese + u"中", kOtherModel, kSsidOther,
                      kNameOther},
        NameCheckCase{"AccentOther", u"caf\u00E9", kOtherModel, kSsidOther, kNameOther}),
    RowName<NameCheckCase>);

}  // namespace
