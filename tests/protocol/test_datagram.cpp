#include "protocol/datagram.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Datagram(std::size_t size, uint16_t type, uint16_t magic = kDatagramMagic) {
  std::vector<uint8_t> bytes(size, 0);
  if (size >= 2) {
    bytes[0] = static_cast<uint8_t>(magic & 0xff);
    bytes[1] = static_cast<uint8_t>(magic >> 8);
  }
  if (size >= 6) {
    bytes[4] = static_cast<uint8_t>(type & 0xff);
    bytes[5] = static_cast<uint8_t>(type >> 8);
  }
  return bytes;
}

TEST(EncodeDatagram, WritesHeaderLittleEndianThenPayload) {
  const uint8_t payload[] = {0xaa, 0xbb, 0xcc};
  std::vector<uint8_t> out(kMaxDatagramSize, 0xee);
  const std::size_t size = EncodeDatagram(payload, "00:1a:2B:3c:4d:ff", kMsgSetName, true, out);
  ASSERT_EQ(size, 19u);
  const std::vector<uint8_t> expected = {0x86, 0x19, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00,
                                         0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xff, 0x03, 0x00,
                                         0xaa, 0xbb, 0xcc};
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 19), expected);
}

TEST(EncodeDatagram, SearchBroadcastHasZeroMacAndIsNotAddressed) {
  std::vector<uint8_t> out(kMaxDatagramSize, 0xee);
  ASSERT_EQ(EncodeDatagram({}, "", kMsgDiscover, false, out), kDatagramHeaderSize);
  const DatagramHeader header = DecodeHeader(out);
  EXPECT_EQ(header.magic, kDatagramMagic);
  EXPECT_EQ(header.type, kMsgDiscover);
  EXPECT_EQ(header.addressed, 0);
  EXPECT_EQ(header.mac, (std::array<uint8_t, 6>{}));
  EXPECT_EQ(header.length, 0);
}

TEST(EncodeDatagram, RefusesPayloadLongerThanTheDatagramHolds) {
  std::vector<uint8_t> payload(kMaxPayloadSize + 1, 1);
  std::vector<uint8_t> out(kMaxDatagramSize + 16, 0);
  EXPECT_EQ(EncodeDatagram(payload, "", kMsgSetWireless, true, out), 0u);
  payload.pop_back();
  EXPECT_EQ(EncodeDatagram(payload, "", kMsgSetWireless, true, out), kMaxDatagramSize);
}

TEST(DecodeHeader, ReadsModelFromReport) {
  std::vector<uint8_t> bytes = Datagram(16, kMsgDeviceInfo);
  bytes[2] = 0x05;
  bytes[3] = 0x01;
  bytes[14] = 0xf4;
  bytes[15] = 0x02;
  const DatagramHeader header = DecodeHeader(bytes);
  EXPECT_EQ(header.model, 261);
  EXPECT_EQ(header.length, 756);
}

struct AcceptanceCase {
  const char* name;
  std::size_t size;
  uint16_t type;
  uint16_t magic;
  uint16_t port;
  bool accepted;
};

class Acceptance : public ::testing::TestWithParam<AcceptanceCase> {};

TEST_P(Acceptance, FollowsTheReceiveRules) {
  const AcceptanceCase& c = GetParam();
  EXPECT_EQ(IsAcceptedDatagram(Datagram(c.size, c.type, c.magic), c.port), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Acceptance,
    ::testing::Values(
        AcceptanceCase{"HeaderOnly", 16, kMsgDeviceInfo, kDatagramMagic, kReplyPort, true},
        AcceptanceCase{"FifteenBytes", 15, kMsgDeviceInfo, kDatagramMagic, kReplyPort, false},
        AcceptanceCase{"Empty", 0, 0, 0, kReplyPort, false},
        AcceptanceCase{"LargestDatagram", 1472, kMsgDeviceInfo, kDatagramMagic, kReplyPort, true},
        AcceptanceCase{"OneByteTooLong", 1473, kMsgDeviceInfo, kDatagramMagic, kReplyPort, false},
        AcceptanceCase{"WrongMagic", 100, kMsgDeviceInfo, 0x8619, kReplyPort, false},
        AcceptanceCase{"AnnouncePortTakesDiscover", 60, kMsgDiscover, kDatagramMagic, kAnnouncePort, true},
        AcceptanceCase{"AnnouncePortRefusesKeepalive", 60, kMsgKeepalive, kDatagramMagic, kAnnouncePort, false},
        AcceptanceCase{"KeepalivePortTakesKeepalive", 56, kMsgKeepalive, kDatagramMagic, kKeepalivePort, true},
        AcceptanceCase{"KeepalivePortRefusesReport", 56, kMsgDeviceInfo, kDatagramMagic, kKeepalivePort, false},
        AcceptanceCase{"ReplyPortTakesUnknownType", 16, 14, kDatagramMagic, kReplyPort, true},
        AcceptanceCase{"OtherPortTakesNothing", 16, kMsgDiscover, kDatagramMagic, kSearchPort, false}),
    [](const ::testing::TestParamInfo<AcceptanceCase>& row) { return std::string(row.param.name); });

TEST(MessageTypes, NamesAndRetransmission) {
  EXPECT_EQ(MessageTypeName(kMsgSetTransparentBridge), "set_transparent_bridge");
  EXPECT_EQ(MessageTypeName(kMsgUpgradeQuery), "upgrade_query");
  EXPECT_TRUE(MessageTypeName(14).empty());
  for (uint16_t type = 1; type <= 19; ++type) {
    const bool never = type == 1 || type == 6 || type == 15 || type == 17;
    EXPECT_EQ(IsNeverRetransmitted(type), never) << "type " << type;
  }
}

}  // namespace
