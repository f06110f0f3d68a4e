#include "forms/rules/address_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

struct HostCase {
  const char* name;
  std::u16string text;
  bool blankAllowed;
  bool valid;
};

void PrintTo(const HostCase& row, std::ostream* out) { *out << row.name; }

class HostAddress : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostAddress, ChecksFirstAndLastOctet) {
  EXPECT_EQ(IsValidHostAddress(GetParam().text, GetParam().blankAllowed), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostAddress,
    ::testing::Values(HostCase{"Ordinary", u"192.168.2.1", false, true},
                      HostCase{"EmptyNotAllowed", u"", false, false},
                      HostCase{"EmptyAllowed", u"", true, true},
                      HostCase{"ZerosNotAllowed", u"0.0.0.0", false, false},
                      HostCase{"ZerosAllowed", u"0.0.0.0", true, true},
                      HostCase{"LastOctet255", u"10.0.0.255", false, false},
                      HostCase{"LastOctet0", u"10.1.1.0", true, false},
                      HostCase{"MiddleOctetsUnchecked", u"10.0.255.1", false, true},
                      HostCase{"FirstOctet0", u"0.1.1.1", true, false},
                      HostCase{"Loopback", u"127.0.0.1", false, false},
                      HostCase{"Multicast", u"224.1.1.1", false, false},
                      HostCase{"Broadcast", u"255.1.1.1", true, false},
                      HostCase{"LastUnicastFirstOctet", u"223.255.255.254", false, true},
                      HostCase{"FirstOctet1", u"1.0.0.1", false, true},
                      HostCase{"ThreeParts", u"10.1.1", true, false},
                      HostCase{"FiveParts", u"10.1.1.1.1", true, false},
                      HostCase{"EmptyPart", u"10..1.1", true, false},
                      HostCase{"TrailingDot", u"10.1.1.", true, false},
                      HostCase{"OctetAbove255", u"10.300.1.1", true, false},
                      HostCase{"FirstOctetAbove255", u"300.1.1.1", true, false},
                      HostCase{"Letters", u"a.b.c.d", true, false},
                      HostCase{"Blank", u"10.1.1.1 ", true, false},
                      HostCase{"FourDigits", u"10.1.1.0001", true, false},
                      HostCase{"LeadingZeros", u"010.001.001.001", false, true}),
    RowName<HostCase>);

TEST(ParseAddressText, OctetsOfTheText) {
  EXPECT_EQ(ParseAddressText(u"192.168.2.1"), (IpBytes{192, 168, 2, 1}));
  EXPECT_EQ(ParseAddressText(u""), (IpBytes{0, 0, 0, 0}));
  EXPECT_EQ(ParseAddressText(u"1.2.3"), std::nullopt);
  EXPECT_EQ(ParseAddressText(u"1.2.3.-4"), std::nullopt);
  EXPECT_EQ(AddressNumber({200, 1, 1, 1}), 0xC8010101u);
  EXPECT_TRUE(IsBlankAddress(u""));
  EXPECT_TRUE(IsBlankAddress(u"0.0.0.0"));
  EXPECT_FALSE(IsBlankAddress(u"0.0.0.1"));
  EXPECT_FALSE(IsBlankAddress(u"x"));
}

TEST(FourPartForm, CountsPartsBetweenDots) {
  EXPECT_TRUE(HasFourParts(u"1.2.3.4"));
  EXPECT_TRUE(HasFourParts(u"..."));
  EXPECT_FALSE(HasFourParts(u""));
  EXPECT_FALSE(HasFourParts(u"1.2.3"));
  EXPECT_FALSE(HasFourParts(u"1.2.3.4.5"));
}

TEST(SubnetMask, RefusesAllOnesZerosAndNonAddresses) {
  EXPECT_TRUE(IsValidSubnetMask(u"255.255.255.0"));
  EXPECT_TRUE(IsValidSubnetMask(u"255.0.255.0"));
  EXPECT_TRUE(IsValidSubnetMask(u"255.255.255.254"));
  EXPECT_FALSE(IsValidSubnetMask(u"255.255.255.255"));
  EXPECT_FALSE(IsValidSubnetMask(u"0.0.0.0"));
  EXPECT_FALSE(IsValidSubnetMask(u""));
  EXPECT_FALSE(IsValidSubnetMask(u"255.255.0"));
  EXPECT_FALSE(IsValidSubnetMask(u"255.255.256.0"));
}

TEST(SameSubnet, ComparesMaskedOctets) {
  EXPECT_TRUE(IsSameSubnet(u"192.168.1.10", u"192.168.1.1", u"255.255.255.0"));
  EXPECT_FALSE(IsSameSubnet(u"192.168.2.10", u"192.168.1.1", u"255.255.255.0"));
  EXPECT_TRUE(IsSameSubnet(u"192.168.2.10", u"192.168.1.1", u"255.255.0.0"));
  // Non-contiguous masks compare the octets they cover.
  EXPECT_TRUE(IsSameSubnet(u"10.1.20.1", u"10.2.20.9", u"255.0.255.0"));
  EXPECT_FALSE(IsSameSubnet(u"10.1.21.1", u"10.2.20.9", u"255.0.255.0"));
  EXPECT_FALSE(IsSameSubnet(u"10.1.1.1", u"bad", u"255.0.0.0"));
}

TEST(AddressInUse, MatchesStoredTextsExactly) {
  const std::vector<std::string> stored = {"192.168.1.20", "10.0.0.2"};
  EXPECT_TRUE(IsAddressInUse(u"10.0.0.2", stored));
  EXPECT_TRUE(IsAddressInUse(u"192.168.1.20", stored));
  EXPECT_FALSE(IsAddressInUse(u"192.168.1.2", stored));
  EXPECT_FALSE(IsAddressInUse(u"10.0.0.20", stored));
  EXPECT_FALSE(IsAddressInUse(u"", stored));
  EXPECT_FALSE(IsAddressInUse(u"10.0.0.2", {}));
  // A unit above 0x7F never equals a stored byte of the same value.
  const std::vector<std::string> latin1 = {"\xE9"};
  EXPECT_FALSE(IsAddressInUse(u"\u00E9", latin1));
}

}  // namespace
