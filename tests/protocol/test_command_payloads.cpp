// Command payloads against bytes written out by hand from the message layouts.

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "protocol/command_payloads.h"

namespace {

// "01 0a ff" -> {0x01, 0x0a, 0xff}; "z12" -> twelve zero bytes.
CommandPayload Hex(const std::string& text) {
  CommandPayload bytes;
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    if (token[0] == 'z') {
      bytes.insert(bytes.end(), std::stoul(token.substr(1)), 0);
    } else {
      bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    }
  }
  return bytes;
}

CommandPayload Ascii(const std::string& text) { return {text.begin(), text.end()}; }

CommandPayload Join(std::initializer_list<CommandPayload> parts) {
  CommandPayload joined;
  for (const CommandPayload& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// A record whose every byte differs from its neighbours, so that a slice
// taken from the wrong offset or a byte not carried shows.
ap_info_stu Patterned() {
  ap_info_stu device;
  auto* bytes = reinterpret_cast<uint8_t*>(&device);
  for (std::size_t i = 0; i < sizeof device; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return device;
}

void SetText(char* area, uint8_t& length, const std::string& text) {
  std::memset(area, 0, 32);
  std::memcpy(area, text.data(), std::min<std::size_t>(text.size(), 32));
  length = static_cast<uint8_t>(text.size());
}

const uint8_t* At(const ap_info_stu& device, std::size_t offset) {
  return reinterpret_cast<const uint8_t*>(&device) + offset;
}

TEST(CommandPayloads, IpBlockOfAFormAndOfTheMultiDeviceForm) {
  ap_info_stu device = Patterned();
  device.ip_mode = 0;
  std::memcpy(device.ip, "\x0a\x4d\x01\x05", 4);
  std::memcpy(device.ip_mask, "\xff\xff\x00\x00", 4);
  std::memcpy(device.ip_gateway, "\x0a\x4d\x00\x01", 4);
  std::memcpy(device.ip_dns1, "\x08\x08\x08\x08", 4);
  std::memcpy(device.ip_dns2, "\x01\x01\x01\x01", 4);
  device.restart_flag = 0;
  EXPECT_EQ(SetIpPayload(IpBlockOf(device)),
            Hex("00 0a 4d 01 05 ff ff 00 00 0a 4d 00 01 08 08 08 08 01 01 01 01 00"));

  const IpBlock multi = MultiDeviceIpBlock(ParseIpText("192.168.1.2"), ParseIpText("255.255.255.0"),
                                           ParseIpText("192.168.1.1"), ParseIpText("0.0.0.0"),
                                           ParseIpText("9.9.9.9"));
  EXPECT_EQ(SetIpPayload(multi),
            Hex("01 c0 a8 01 02 ff ff ff 00 c0 a8 01 01 00 00 00 00 09 09 09 09 01"));
}

TEST(CommandPayloads, RebootScheduleAndSwitches) {
  ap_info_stu device = Patterned();
  device.restart_en = 1;
  device.restart_type = 2;
  device.restart_time = 0x0102;
  EXPECT_EQ(SetRebootSchedulePayload(device), Hex("01 02 02 01"));
  EXPECT_EQ(SetTransparentBridgePayload(true), Hex("01 z11"));
  EXPECT_EQ(SetTransparentBridgePayload(false), Hex("z12"));
  EXPECT_EQ(SetTdmaPayload(true), Hex("00 01 z10"));
  EXPECT_EQ(SetTdmaPayload(false), Hex("z12"));
}

TEST(CommandPayloads, NameIsCutToThirtyTwoBytesAtACharacterBoundary) {
  struct Case {
    std::string name;
    CommandPayload expected;
  };
  const Case cases[] = {
      {"roof", Join({Ascii("roof"), Hex("z28 04")})},
      {"", Hex("z32 00")},
      {std::string(40, 'a'), Join({Ascii(std::string(32, 'a')), Hex("20")})},
      // 31 bytes and a two-byte character: the character does not fit.
      {std::string(31, 'b') + "\xc3\xa9", Join({Ascii(std::string(31, 'b')), Hex("00 1f")})},
      {"\xe5\xb1\x8b\xe9\xa1\xb6", Hex("e5 b1 8b e9 a1 b6 z26 06")},
  };
  for (const Case& c : cases) EXPECT_EQ(SetNamePayload(c.name), c.expected) << c.name;
}

TEST(CommandPayloads, VlanBlockShortAndLongWithTheRestartFlag) {
  ap_info_stu device = Patterned();
  device.ap_type = 3;
  device.vlan_en = 1;
  device.unnamed_757 = 0xaa;
  device.vlan_id = 100;
  device.vlan_id_wlan = 200;
  device.vlan_id_lan = 300;
  device.unnamed_764 = 0xbbcc;
  device.bridge_transparent = 1;
  device.tdmaEn = 0;
  device.vlan_pvid = 5;
  device.vlan_id_lan3 = 6;
  device.vlan_id_lan4 = 0x0107;
  std::memcpy(device.unnamed_774, "\xde\xad\xbe\xef\x11\x22", 6);

  EXPECT_EQ(SetVlanPayload(device, false), Hex("01 aa 64 00 c8 00 2c 01 00 bb"));
  EXPECT_EQ(SetVlanPayload(device, true), Hex("01 aa 64 00 c8 00 2c 01 01 bb"));
  for (uint16_t model : {10, 11}) {
    device.ap_type = model;
    EXPECT_EQ(SetVlanPayload(device, true),
              Hex("01 aa 64 00 c8 00 2c 01 01 bb 01 00 05 00 06 00 07 01 de ad be ef"));
  }
}

TEST(CommandPayloads, WirelessSliceCarriesEveryByteAndConvertsTheSsid) {
  ap_info_stu device = Patterned();
  SetText(device.ssid, device.ssid_len, "link");
  const CommandPayload payload = SetWirelessPayload(device);
  ASSERT_EQ(payload.size(), 328u);
  CommandPayload expected(At(device, 124), At(device, 452));
  EXPECT_EQ(payload, expected);
  // The offsets of the named fields inside the payload.
  EXPECT_EQ(payload[0], device.rf_count);
  EXPECT_EQ(payload[10], device.tx_power_max);
  EXPECT_EQ(0, std::memcmp(&payload[11], device.unnamed_135, 11));
  EXPECT_EQ(payload[63], 4);
  EXPECT_EQ(payload[64], device.secure_mode);
  EXPECT_EQ(payload[326], device.ssid_count);
  EXPECT_EQ(payload[327], device.unnamed_451);

  // A length byte above 32 counts as 32; a character cut by the area is dropped.
  std::memcpy(device.ssid, (std::string(31, 's') + "\xc3").data(), 32);
  device.ssid_len = 200;
  const CommandPayload cut = SetWirelessPayload(device);
  EXPECT_EQ(CommandPayload(cut.begin() + 31, cut.begin() + 64),
            Join({Ascii(std::string(31, 's')), Hex("00 1f")}));
}

TEST(CommandPayloads, BridgeBlockThenIpBlock) {
  ap_info_stu device = Patterned();
  device.bridge_work_mode = 2;
  std::memcpy(device.bridge_mac, "\x00\x11\x22\x33\x44\x55", 6);
  device.bridge_channel = 149;
  SetText(device.bridge_ssid, device.bridge_ssid_len, "ap1");
  IpBlock ip;
  ip.ip = ParseIpText("10.0.0.2");
  ip.mask = ParseIpText("255.0.0.0");
  const CommandPayload payload = SetBridgePayload(device, ip);
  ASSERT_EQ(payload.size(), 326u);
  EXPECT_EQ(CommandPayload(payload.begin(), payload.begin() + 41),
            Join({Hex("02 00 11 22 33 44 55 95"), Ascii("ap1"), Hex("z29 03")}));
  EXPECT_EQ(CommandPayload(payload.begin() + 41, payload.begin() + 304),
            CommandPayload(device.bridge_security, device.bridge_security + 263));
  EXPECT_EQ(CommandPayload(payload.begin() + 304, payload.end()),
            Hex("00 0a 00 00 02 ff 00 00 00 z12 00"));
}

TEST(CommandPayloads, UpgradeNameLengthAndSize) {
  const auto payload = UpgradePayload("fw.bin", 0x01020304);
  ASSERT_TRUE(payload);
  EXPECT_EQ(*payload, Join({Ascii("fw.bin"), Hex("z254 06 00 00 00 04 03 02 01")}));
  const std::string longest(255, 'n');
  ASSERT_TRUE(UpgradePayload(longest, 1));
  EXPECT_EQ((*UpgradePayload(longest, 1))[260], 255);
  // A name its length byte cannot count, or none at all, builds nothing.
  EXPECT_FALSE(UpgradePayload(std::string(256, 'n'), 1));
  EXPECT_FALSE(UpgradePayload("", 1));
}

}  // namespace
