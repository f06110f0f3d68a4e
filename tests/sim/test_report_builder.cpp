#include "sim/report_builder.h"

#include <gtest/gtest.h>

#include <cstring>

#include "protocol/datagram.h"
#include "sim/population.h"

namespace {

uint32_t U32At(const std::vector<uint8_t>& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (uint32_t{bytes[at + 3]} << 24);
}

std::string TextAt(const std::vector<uint8_t>& bytes, std::size_t area, std::size_t lengthAt) {
  return {reinterpret_cast<const char*>(bytes.data() + area), bytes[lengthAt]};
}

SimDevice SampleDevice() {
  PopulationPlan plan;
  plan.seed = 7;
  SimDevice device = GenerateDevice(plan, 5);
  PutDeviceText("北区基站-6", {reinterpret_cast<uint8_t*>(device.settings.ap_name), 32},
                device.settings.ap_name_len);
  return device;
}

TEST(ReportBuilder, ReportIsTheRecordFromOffset24WithCurrentUpTime) {
  const SimDevice device = SampleDevice();
  const std::vector<uint8_t> payload = BuildReportPayload(device, 123456);
  ASSERT_EQ(payload.size(), 756u);
  ap_info_stu expected = device.settings;
  expected.up_time = 123456;
  EXPECT_EQ(0, std::memcmp(payload.data(), reinterpret_cast<const uint8_t*>(&expected) + 24, 756));
  // The fields the program reads at fixed payload offsets.
  EXPECT_EQ(U32At(payload, 4), 123456u);
  EXPECT_EQ(0, std::memcmp(payload.data() + 9, device.settings.ip, 4));
  EXPECT_EQ(TextAt(payload, 30, 62), "北区基站-6");
  EXPECT_EQ(TextAt(payload, 63, 95),
            std::string(device.settings.version, device.settings.version_len));
  EXPECT_EQ(payload[742], device.settings.bridge_transparent);
  EXPECT_EQ(payload[743], device.settings.tdmaEn);
}

TEST(ReportBuilder, ReportCarriesAClaimedAddress) {
  SimDevice device = SampleDevice();
  device.reportedIp = Ipv4{10, 77, 1, 1};
  const std::vector<uint8_t> payload = BuildReportPayload(device, 0);
  EXPECT_EQ((std::vector<uint8_t>(payload.begin() + 9, payload.begin() + 13)),
            (std::vector<uint8_t>{10, 77, 1, 1}));
}

TEST(ReportBuilder, AnnouncementLayout) {
  const SimDevice device = SampleDevice();
  const ap_info_stu& s = device.settings;
  const std::vector<uint8_t> payload = BuildAnnouncementPayload(device, 99);
  ASSERT_EQ(payload.size(), kAnnouncementPayloadSize);
  EXPECT_EQ(TextAt(payload, 0, 32), std::string(s.version, s.version_len));
  EXPECT_EQ(payload[33], s.work_mode);
  EXPECT_EQ(payload[34], s.mode_btn_status);
  EXPECT_EQ(U32At(payload, 36), 99u);
  EXPECT_EQ(TextAt(payload, 40, 72), "北区基站-6");
  EXPECT_EQ(TextAt(payload, 73, 105), std::string(s.ssid, s.ssid_len));
  EXPECT_EQ(payload[106], s.channel);
  EXPECT_EQ(payload[107], s.bridge_transparent);
  EXPECT_EQ(payload[108], s.tdmaEn);
}

TEST(ReportBuilder, ShortAnnouncementHoldsOnlyTheVersionArea) {
  SimDevice device = SampleDevice();
  device.shortAnnouncement = true;
  const std::vector<uint8_t> payload = BuildAnnouncementPayload(device, 99);
  ASSERT_EQ(payload.size(), 33u);
  EXPECT_EQ(TextAt(payload, 0, 32),
            std::string(device.settings.version, device.settings.version_len));
}

TEST(ReportBuilder, KeepaliveLayout) {
  const SimDevice device = SampleDevice();
  const std::vector<uint8_t> payload = BuildKeepalivePayload(device, 0x01020304);
  ASSERT_EQ(payload.size(), 40u);
  EXPECT_EQ(TextAt(payload, 0, 32),
            std::string(device.settings.version, device.settings.version_len));
  EXPECT_EQ(U32At(payload, 36), 0x01020304u);
}

TEST(ReportBuilder, DatagramHeaderCarriesModelMacAndLength) {
  SimDevice device = SampleDevice();
  device.settings.ap_type = 266;
  const std::vector<uint8_t> payload(40, 0xab);
  const std::vector<uint8_t> datagram = BuildDeviceDatagram(device, kMsgKeepalive, payload);
  ASSERT_EQ(datagram.size(), 56u);
  EXPECT_EQ(datagram[0], 0x86);
  EXPECT_EQ(datagram[1], 0x19);
  EXPECT_EQ(datagram[2] | (datagram[3] << 8), 266);
  EXPECT_EQ(datagram[4] | (datagram[5] << 8), kMsgKeepalive);
  EXPECT_EQ(datagram[6], 0);  // only the program addresses datagrams
  EXPECT_EQ(0, std::memcmp(datagram.data() + 8, device.mac.data(), 6));
  EXPECT_EQ(datagram[14] | (datagram[15] << 8), 40);
  EXPECT_EQ(datagram[16], 0xab);
}

TEST(ReportBuilder, DeviceTextIsCutAtACharacterBoundary) {
  uint8_t area[32];
  uint8_t length = 0;
  // Eleven three-byte characters are 33 bytes; ten fit.
  PutDeviceText("一二三四五六七八九十百", area, length);
  EXPECT_EQ(length, 30);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(area), length), "一二三四五六七八九十");
  EXPECT_EQ(area[30], 0);
  PutDeviceText("abc", area, length);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(area[3], 0);
}

}  // namespace
