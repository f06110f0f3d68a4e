#include "forms/rules/value_checks.h"

#include <gtest/gtest.h>

#include <string>

#include "i18n/language.h"
#include "tests/util/temp_directory.h"

namespace {

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

struct PowerCase {
  const char* name;
  std::u16string power;
  bool passes;
};

void PrintTo(const PowerCase& row, std::ostream* out) { *out << row.name; }

class PowerCheck : public ::testing::TestWithParam<PowerCase> {};

TEST_P(PowerCheck, WithinTheDeviceRange) {
  const CheckResult result = CheckPower(GetParam().power, 10, 27);
  EXPECT_EQ(result.passed, GetParam().passes);
  if (!result.passed) {
    EXPECT_EQ(result.messageKey, "Power value range:%d-%d");
    EXPECT_EQ(result.style, MessageStyle::kWarning);
    EXPECT_EQ(result.focus, FormField::kPower);
    EXPECT_EQ(MessageText(result), "Power value range:10-27");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, PowerCheck,
                         ::testing::Values(PowerCase{"Minimum", u"10", true},
                                           PowerCase{"Maximum", u"27", true},
                                           PowerCase{"BelowMinimum", u"9", false},
                                           PowerCase{"AboveMaximum", u"28", false},
                                           PowerCase{"Empty", u"", false}),
                         RowName<PowerCase>);

struct VlanCase {
  const char* name;
  std::u16string id;
  bool passes;
};

void PrintTo(const VlanCase& row, std::ostream* out) { *out << row.name; }

class VlanIdCheck : public ::testing::TestWithParam<VlanCase> {};

TEST_P(VlanIdCheck, OneTo4094) {
  const CheckResult result = CheckVlanId(GetParam().id, "LAN", FormField::kVlanLan2);
  EXPECT_EQ(result.passed, GetParam().passes);
  if (!result.passed) {
    EXPECT_EQ(result.messageKey, "range:1-4094");
    EXPECT_EQ(result.style, MessageStyle::kWarning);
    EXPECT_EQ(result.focus, FormField::kVlanLan2);
    EXPECT_EQ(MessageText(result), "LAN range:1-4094");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, VlanIdCheck,
                         ::testing::Values(VlanCase{"Zero", u"0", false},
                                           VlanCase{"One", u"1", true},
                                           VlanCase{"Top", u"4094", true},
                                           VlanCase{"AboveTop", u"4095", false},
                                           VlanCase{"Empty", u"", false}),
                         RowName<VlanCase>);

struct RebootCase {
  const char* name;
  bool enabled;
  std::u16string hour, minute;
  RebootDays days;
  const char* message;
};

void PrintTo(const RebootCase& row, std::ostream* out) { *out << row.name; }

class RebootTimeCheck : public ::testing::TestWithParam<RebootCase> {};

TEST_P(RebootTimeCheck, TimeThenDays) {
  const RebootCase& row = GetParam();
  const CheckResult result = CheckRebootTime(row.enabled, row.hour, row.minute, row.days);
  EXPECT_EQ(result.passed, std::string_view(row.message).empty());
  EXPECT_EQ(result.messageKey, row.message);
  if (!result.passed) {
    EXPECT_EQ(result.style, MessageStyle::kWarning);
  }
  EXPECT_EQ(result.focus, FormField::kNone);
}

constexpr RebootDays kMonday = {true, false, false, false, false, false, false, false};
constexpr RebootDays kEveryday = {false, false, false, false, false, false, false, true};
constexpr RebootDays kNoDay = {};
constexpr const char* kEmpty = "The time can not be empty!";
constexpr const char* kError = "The time is error!";

INSTANTIATE_TEST_SUITE_P(
    Table, RebootTimeCheck,
    ::testing::Values(RebootCase{"LastMinuteOfDay", true, u"23", u"59", kMonday, ""},
                      RebootCase{"Midnight", true, u"0", u"0", kEveryday, ""},
                      RebootCase{"Hour24", true, u"24", u"00", kMonday, kError},
                      RebootCase{"Minute60", true, u"12", u"60", kMonday, kError},
                      RebootCase{"NegativeHour", true, u"-1", u"0", kMonday, kError},
                      RebootCase{"HourEmpty", true, u"", u"30", kMonday, kEmpty},
                      RebootCase{"MinuteEmpty", true, u"3", u"", kMonday, kEmpty},
                      RebootCase{"EmptyBeforeDays", true, u"", u"", kNoDay, kEmpty},
                      RebootCase{"NoDay", true, u"3", u"30", kNoDay,
                                 "Please selectting the day that you want to reboot!"},
                      RebootCase{"DisabledReadsNothing", false, u"", u"", kNoDay, ""},
                      RebootCase{"DisabledBadTime", false, u"99", u"99", kNoDay, ""}),
    RowName<RebootCase>);

TEST(MessageText, PassedCheckHasNoText) { EXPECT_EQ(MessageText(CheckResult::Pass()), ""); }

TEST(MessageText, PlainKeyIsTheEnglishText) {
  EXPECT_EQ(MessageText(CheckRebootTime(true, u"", u"", kNoDay)), "The time can not be empty!");
}

TEST(MessageText, RangeFillIsNoPrintfFormat) {
  // A format from a language file may hold other conversions; only %d is filled.
  CheckResult result = CheckPower(u"", -3, 7);
  EXPECT_EQ(MessageText(result), "Power value range:-3-7");
  result.messageKey = "%s %n %d..%d %d";
  EXPECT_EQ(MessageText(result), "%s %n -3..7 %d");
}

// The pieces are translated one by one and the numbers filled in afterwards.
class TranslatedMessageText : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Languages/Test.lng",
               "[ProgramOutStr]\r\n"
               "Power value range:%d-%d=\xE5\x8A\x9F\xE7\x8E\x87 %d~%d\r\n"
               "LAN=\xE5\xB1\x80\xE5\x9F\x9F\xE7\xBD\x91\r\n"
               "range:1-4094=[1-4094]\r\n"
               "The time is error!=\xE6\x97\xB6\xE9\x97\xB4\r\n");
    LoadLanguage(dir_.directoryText());
    SelectLanguage("Test");
  }
  void TearDown() override { LoadLanguage("/nonexistent/"); }

  TempDirectory dir_;
};

TEST_F(TranslatedMessageText, ComposesTranslatedPieces) {
  EXPECT_EQ(MessageText(CheckPower(u"5", 10, 27)), "\xE5\x8A\x9F\xE7\x8E\x87 10~27");
  EXPECT_EQ(MessageText(CheckVlanId(u"0", "LAN", FormField::kVlanLan2)),
            "\xE5\xB1\x80\xE5\x9F\x9F\xE7\xBD\x91 [1-4094]");
  // A label without an entry stays English.
  EXPECT_EQ(MessageText(CheckVlanId(u"0", "PVID", FormField::kVlanPvid)), "PVID [1-4094]");
  EXPECT_EQ(MessageText(CheckRebootTime(true, u"25", u"0", kMonday)),
            "\xE6\x97\xB6\xE9\x97\xB4");
}

}  // namespace
