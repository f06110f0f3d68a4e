#include "forms/rules/ip_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

constexpr const char* kPass = "";
constexpr const char* kInvalidIp = "The ip address is invalid!";
constexpr const char* kInvalidMask = "The subnet mask is invalid!";
constexpr const char* kInvalidGateway = "The gateway address is invalid!";
constexpr const char* kIpIsGateway = "The ip address and gateway address cannot be the same!";
constexpr const char* kOtherSubnet = "Ip address and gateway address is not in the same subnet!";
constexpr const char* kInvalidPrimaryDns = "The primary DNS Server is invalid!";
constexpr const char* kInvalidSecondaryDns = "The secondary DNS Server is invalid!";

void ExpectPlainResult(const CheckResult& result, std::string_view expected) {
  EXPECT_EQ(result.passed, expected.empty());
  EXPECT_EQ(result.messageKey, expected);
  EXPECT_EQ(result.style, MessageStyle::kPlain);
  EXPECT_EQ(result.focus, FormField::kNone);
}

struct IpSettingsCase {
  const char* name;
  std::u16string ip, mask, gateway, dns1, dns2;
  const char* message;
};

void PrintTo(const IpSettingsCase& row, std::ostream* out) { *out << row.name; }

class IpSettingsCheck : public ::testing::TestWithParam<IpSettingsCase> {};

TEST_P(IpSettingsCheck, ShowsFirstFailure) {
  const IpSettingsCase& row = GetParam();
  ExpectPlainResult(CheckIpSettings({row.ip, row.mask, row.gateway, row.dns1, row.dns2}),
                    row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IpSettingsCheck,
    ::testing::Values(
        IpSettingsCase{"AllSet", u"192.168.1.20", u"255.255.255.0", u"192.168.1.1", u"8.8.8.8",
                       u"1.1.1.1", kPass},
        IpSettingsCase{"BlankGatewayAndDns", u"10.0.0.2", u"255.0.0.0", u"", u"", u"", kPass},
        IpSettingsCase{"ZeroGatewaySkipsSubnet", u"10.0.0.2", u"255.255.255.0", u"0.0.0.0",
                       u"0.0.0.0", u"", kPass},
        IpSettingsCase{"IpLastOctet255", u"10.0.0.255", u"255.0.0.0", u"", u"", u"", kInvalidIp},
        IpSettingsCase{"IpBlank", u"", u"", u"", u"", u"", kInvalidIp},
        IpSettingsCase{"IpFailsBeforeMask", u"127.0.0.1", u"255.255.255.255", u"", u"", u"",
                       kInvalidIp},
        IpSettingsCase{"MaskAllOnes", u"10.0.0.2", u"255.255.255.255", u"", u"", u"", kInvalidMask},
        IpSettingsCase{"MaskBlank", u"10.0.0.2", u"", u"", u"", u"", kInvalidMask},
        IpSettingsCase{"MaskNonContiguous", u"10.0.0.2", u"255.0.255.0", u"10.9.0.1", u"", u"",
                       kPass},
        IpSettingsCase{"GatewayMulticast", u"10.0.0.2", u"255.0.0.0", u"224.0.0.1", u"", u"",
                       kInvalidGateway},
        IpSettingsCase{"GatewayEqualsIpBeforeSubnet", u"10.0.0.2", u"255.255.255.0", u"10.0.0.2",
                       u"", u"", kIpIsGateway},
        IpSettingsCase{"GatewayOtherSubnet", u"192.168.2.20", u"255.255.255.0", u"192.168.1.1", u"",
                       u"", kOtherSubnet},
        IpSettingsCase{"SubnetBeforeDns", u"192.168.2.20", u"255.255.255.0", u"192.168.1.1",
                       u"0.1.1.1", u"", kOtherSubnet},
        IpSettingsCase{"PrimaryDnsBroadcast", u"10.0.0.2", u"255.0.0.0", u"", u"8.8.8.255", u"",
                       kInvalidPrimaryDns},
        IpSettingsCase{"SecondaryDnsLoopback", u"10.0.0.2", u"255.0.0.0", u"", u"8.8.8.8",
                       u"127.0.0.53", kInvalidSecondaryDns}),
    RowName<IpSettingsCase>);

struct IpRangeCase {
  const char* name;
  std::u16string first, last, mask, gateway, dns1, dns2;
  std::size_t devices;
  const char* message;
};

void PrintTo(const IpRangeCase& row, std::ostream* out) { *out << row.name; }

class IpRangeCheck : public ::testing::TestWithParam<IpRangeCase> {};

TEST_P(IpRangeCheck, ShowsFirstFailure) {
  const IpRangeCase& row = GetParam();
  ExpectPlainResult(
      CheckIpRange({row.first, row.last, row.mask, row.gateway, row.dns1, row.dns2}, row.devices),
      row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IpRangeCheck,
    ::testing::Values(IpRangeCase{"Range", u"192.168.1.20", u"192.168.1.40", u"255.255.255.0",
                                  u"192.168.1.1", u"", u"", 3, kPass},
                      IpRangeCase{"OneDeviceIgnoresBlankLast", u"192.168.1.20", u"",
                                  u"255.255.255.0", u"192.168.1.1", u"", u"", 1, kPass},
                      IpRangeCase{"OneDeviceIgnoresLastInOtherSubnet", u"192.168.1.20", u"10.0.0.1",
                                  u"255.255.255.0", u"192.168.1.1", u"", u"", 1, kPass},
                      IpRangeCase{"TwoDevicesBlankLast", u"192.168.1.20", u"", u"255.255.255.0",
                                  u"", u"", u"", 2, kInvalidIp},
                      IpRangeCase{"TwoDevicesEqualFirstAndLast", u"192.168.1.20", u"192.168.1.20",
                                  u"255.255.255.0", u"", u"", u"", 2, kInvalidIp},
                      IpRangeCase{"OrderIsUnsigned", u"200.1.1.1", u"10.1.1.1", u"255.0.0.0", u"",
                                  u"", u"", 2, kInvalidIp},
                      IpRangeCase{"LowToHighPassesOrder", u"10.1.1.1", u"200.1.1.1", u"255.0.0.0",
                                  u"", u"", u"", 2, kPass},
                      IpRangeCase{"LowToHighThenSubnet", u"10.1.1.1", u"200.1.1.1", u"255.0.0.0",
                                  u"10.0.0.1", u"", u"", 2, kOtherSubnet},
                      IpRangeCase{"FirstInvalid", u"10.1.1.0", u"10.1.1.9", u"255.0.0.0", u"", u"",
                                  u"", 2, kInvalidIp},
                      IpRangeCase{"MaskBeforeLast", u"10.1.1.1", u"", u"0.0.0.0", u"", u"", u"", 2,
                                  kInvalidMask},
                      IpRangeCase{"GatewayInvalid", u"10.1.1.1", u"10.1.1.9", u"255.0.0.0",
                                  u"10.1.1.255", u"", u"", 2, kInvalidGateway},
                      IpRangeCase{"FirstEqualsGateway", u"10.1.1.1", u"", u"255.0.0.0", u"10.1.1.1",
                                  u"", u"", 2, kIpIsGateway},
                      IpRangeCase{"OrderBeforeLastEqualsGateway", u"10.1.1.9", u"10.1.1.1",
                                  u"255.0.0.0", u"10.1.1.1", u"", u"", 2, kInvalidIp},
                      IpRangeCase{"LastInvalidBeforeSubnet", u"10.1.1.1", u"127.0.0.1",
                                  u"255.0.0.0", u"10.1.1.254", u"", u"", 2, kInvalidIp},
                      IpRangeCase{"LastEqualsGateway", u"10.1.1.1", u"10.1.1.9", u"255.0.0.0",
                                  u"10.1.1.9", u"", u"", 2, kIpIsGateway},
                      IpRangeCase{"LastOutsideGatewaySubnet", u"192.168.1.254", u"192.168.2.2",
                                  u"255.255.255.0", u"192.168.1.1", u"", u"", 3, kOtherSubnet},
                      IpRangeCase{"WideMaskCoversBoth", u"192.168.1.254", u"192.168.2.2",
                                  u"255.255.0.0", u"192.168.1.1", u"", u"", 3, kPass},
                      IpRangeCase{"FirstOutsideGatewaySubnet", u"192.168.2.20", u"",
                                  u"255.255.255.0", u"192.168.1.1", u"", u"", 1, kOtherSubnet},
                      IpRangeCase{"DnsLast", u"10.1.1.1", u"10.1.1.9", u"255.0.0.0", u"",
                                  u"8.8.8.8", u"240.0.0.1", 2, kInvalidSecondaryDns}),
    RowName<IpRangeCase>);

TEST(AddressChangeCheck, RefusesOnlyAChangeToAnAddressInUse) {
  const std::vector<std::string> stored = {"192.168.1.20", "192.168.1.21"};
  const IpBytes current = {192, 168, 1, 20};
  ExpectPlainResult(CheckAddressChange(u"192.168.1.20", current, stored), kPass);
  ExpectPlainResult(CheckAddressChange(u"192.168.1.22", current, stored), kPass);
  ExpectPlainResult(CheckAddressChange(u"192.168.1.21", current, stored),
                    "The ip address is already in use, please respecify!");
  // Leading zeros name the same address as the stored text.
  ExpectPlainResult(CheckAddressChange(u"192.168.001.021", current, stored),
                    "The ip address is already in use, please respecify!");
  // A store that could not be read holds no addresses.
  ExpectPlainResult(CheckAddressChange(u"192.168.1.21", current, {}), kPass);
  // An empty text is 0.0.0.0, which is unchanged for a device without address.
  const std::vector<std::string> zero = {"0.0.0.0"};
  ExpectPlainResult(CheckAddressChange(u"", {0, 0, 0, 0}, zero), kPass);
  ExpectPlainResult(CheckAddressChange(u"", current, zero),
                    "The ip address is already in use, please respecify!");
}

}  // namespace
