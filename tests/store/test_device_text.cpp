#include "store/device_text.h"

#include <gtest/gtest.h>

#include "store/ap_info_stu.h"

// Without a language file every translated text is its English key.
namespace {

TEST(ModelTable, NamesCodesAndGroups) {
  EXPECT_EQ(ModelText(1), "KT100");
  EXPECT_EQ(ModelText(11), "KT1100");
  EXPECT_EQ(ModelText(257), "LM10");
  EXPECT_EQ(ModelText(267), "LM110");
  EXPECT_EQ(ModelText(300), "KT100");
  EXPECT_EQ(ModelText(0), "KT100");
  EXPECT_EQ(ModelCode("LM110"), 267);
  EXPECT_EQ(ModelCode("KT400"), 4);
  EXPECT_EQ(ModelCode("kt100"), 1);
  EXPECT_EQ(ModelCode("LM1"), 1);
  EXPECT_EQ(ModelCode(""), 1);

  for (uint16_t code : {1, 2, 3, 5, 7, 257, 258, 259, 260, 262, 263, 264}) {
    EXPECT_FALSE(HasTdmaSwitch(code)) << code;
  }
  for (uint16_t code : {6, 8, 9, 10, 11, 265, 266, 267}) EXPECT_TRUE(HasTdmaSwitch(code)) << code;
  EXPECT_TRUE(IsStrictNameModel(4));
  EXPECT_TRUE(IsStrictNameModel(261));
  EXPECT_FALSE(IsStrictNameModel(5));
  EXPECT_FALSE(HasTransparentBridgeSwitch(4));
  EXPECT_FALSE(HasTransparentBridgeSwitch(261));
  EXPECT_TRUE(HasTransparentBridgeSwitch(1));
}

TEST(CodeTexts, StatusModeSecurityChannel) {
  EXPECT_EQ(StatusText(0), "Outline");
  EXPECT_EQ(StatusText(1), "Online");
  EXPECT_EQ(StatusText(5), "Reseting");
  EXPECT_EQ(StatusText(9), "Upgrade fail");
  EXPECT_EQ(StatusText(10), "");
  EXPECT_EQ(StatusText(-1), "");
  EXPECT_EQ(WorkModeText(0), "");
  EXPECT_EQ(WorkModeText(1), "AP");
  EXPECT_EQ(WorkModeText(3), "Universal Repeater");
  EXPECT_EQ(WorkModeText(7), "Router");
  EXPECT_EQ(WorkModeText(8), "");
  EXPECT_EQ(SecureModeText(0), "Disable");
  EXPECT_EQ(SecureModeText(4), "WPAWPA2_PSK");
  EXPECT_EQ(SecureModeText(6), "WPA2");
  EXPECT_EQ(SecureModeText(7), "");
  EXPECT_EQ(ChannelText(0), "Auto");
  EXPECT_EQ(ChannelText(149), "149");
}

struct UpTimeCase {
  uint32_t seconds;
  const char* text;
};

class UpTime : public ::testing::TestWithParam<UpTimeCase> {};

TEST_P(UpTime, IsUnpadded) { EXPECT_EQ(UpTimeText(GetParam().seconds), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Texts, UpTime,
                         ::testing::Values(UpTimeCase{0, "0:0:0"}, UpTimeCase{59, "0:0:59"},
                                           UpTimeCase{86399, "23:59:59"},
                                           UpTimeCase{86400, "1 0:0:0"},
                                           UpTimeCase{93784, "1 2:3:4"},
                                           UpTimeCase{4294967295u, "49710 6:28:15"}));

TEST(SwitchTexts, NotApplicableByModelAndMode) {
  EXPECT_EQ(TransparentBridgeText(261, 1, 1), "N/A");
  EXPECT_EQ(TransparentBridgeText(4, 2, 0), "N/A");
  EXPECT_EQ(TransparentBridgeText(1, 5, 1), "N/A");
  EXPECT_EQ(TransparentBridgeText(1, 4, 1), "N/A");
  EXPECT_EQ(TransparentBridgeText(1, 7, 0), "N/A");
  EXPECT_EQ(TransparentBridgeText(1, 2, 1), "On2");
  EXPECT_EQ(TransparentBridgeText(1, 3, 0), "Off2");
  EXPECT_EQ(TransparentBridgeText(1, 8, 2), "On2");
  EXPECT_EQ(TdmaText(7, 1), "N/A");
  EXPECT_EQ(TdmaText(266, 0), "Off2");
  EXPECT_EQ(TdmaText(6, 255), "On2");
}

TEST(AddressTexts, IpFormsAndScanfRules) {
  const uint8_t ip[4] = {192, 168, 0, 254};
  EXPECT_EQ(IpText(ip), "192.168.0.254");
  EXPECT_EQ(ParseIpText(""), (IpBytes{0, 0, 0, 0}));
  EXPECT_EQ(ParseIpText("10.0.0.2"), (IpBytes{10, 0, 0, 2}));
  EXPECT_EQ(ParseIpText("10.0"), (IpBytes{10, 0, 0, 0}));
  EXPECT_EQ(ParseIpText("300.1.2.3"), (IpBytes{44, 1, 2, 3}));
  EXPECT_EQ(ParseIpText(" 1.2.3.4"), (IpBytes{1, 2, 3, 4}));
  EXPECT_EQ(ParseIpText("a.2.3.4"), (IpBytes{0, 0, 0, 0}));
  EXPECT_EQ(ParseIpText("1..3.4"), (IpBytes{1, 0, 0, 0}));
}

TEST(AddressTexts, MacFormsAndScanfRules) {
  const uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0xc3, 0xd4, 0xff};
  EXPECT_EQ(MacText(mac), "00:1a:2b:c3:d4:ff");
  EXPECT_EQ(ParseMacText(""), (MacBytes{}));
  EXPECT_EQ(ParseMacText("00:1A:2b:C3:d4:FF"), (MacBytes{0x00, 0x1a, 0x2b, 0xc3, 0xd4, 0xff}));
  EXPECT_EQ(ParseMacText("1:2:3"), (MacBytes{1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(ParseMacText("123:45"), (MacBytes{0x12, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ParseMacText("zz:00:00:00:00:00"), (MacBytes{}));
}

TEST(AddressTexts, IpNumberPutsTheLastOctetHighest) {
  const uint8_t a[4] = {10, 0, 0, 2};
  const uint8_t b[4] = {10, 0, 0, 1};
  EXPECT_EQ(IpNumber(a), 2u * (1u << 24) + 10u);
  EXPECT_EQ(IpNumber(b), (1u << 24) + 10u);
  const uint8_t c[4] = {192, 168, 1, 5};
  const uint8_t d[4] = {192, 168, 0, 10};
  EXPECT_LT(IpNumber(c), IpNumber(d));
}

}  // namespace
