#include "fileserver/tftp_request.h"

#include <gtest/gtest.h>

#include "fileserver/tftp_packet.h"
#include "tests/fileserver/packet_bytes.h"

namespace {

struct RequestCase {
  const char* label;
  std::vector<std::byte> packet;
  RequestStatus status;
};

class RequestStatusTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestStatusTest, Classifies) {
  EXPECT_EQ(ParseRequest(GetParam().packet).status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestStatusTest,
    ::testing::Values(
        RequestCase{"ReadOctet", Request(1, "fw.bin", "octet"), RequestStatus::kOk},
        RequestCase{"WriteIsARequest", Request(2, "fw.bin", "octet"), RequestStatus::kOk},
        RequestCase{"ModeAnyCase", Request(1, "fw.bin", "NetASCII"), RequestStatus::kOk},
        RequestCase{"PaddedWithZeros", Bytes(std::string("\0\1a\0octet\0\0\0\0", 13)),
                    RequestStatus::kOk},
        RequestCase{"Empty", {}, RequestStatus::kTooShort},
        RequestCase{"OneByte", Bytes(std::string("\0", 1)), RequestStatus::kTooShort},
        RequestCase{"Ack", Ack(1), RequestStatus::kNotARequest},
        RequestCase{"UnknownOpcode", Request(99, "a", "octet"), RequestStatus::kNotARequest},
        RequestCase{"NameUnterminated", Bytes(std::string("\0\1abc", 5)),
                    RequestStatus::kUnterminated},
        RequestCase{"ModeUnterminated", Bytes(std::string("\0\1a\0oct", 7)),
                    RequestStatus::kUnterminated},
        RequestCase{"EmptyName", Request(1, "", "octet"), RequestStatus::kEmptyFileName},
        RequestCase{"MailMode", Request(1, "a", "mail"), RequestStatus::kUnknownMode},
        RequestCase{"OptionWithoutValue", Request(1, "a", "octet", {"blksize"}),
                    RequestStatus::kMalformedOption},
        RequestCase{"OptionUnterminated", Bytes(std::string("\0\1a\0octet\0blk", 13)),
                    RequestStatus::kUnterminated},
        RequestCase{"EmptyOptionName", Request(1, "a", "octet", {"", "512"}),
                    RequestStatus::kMalformedOption}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(ParseRequest, ReadsNameModeAndOptionsInOrder) {
  const ParsedRequest parsed =
      ParseRequest(Request(1, "dir/fw.bin", "OCTET", {"BlkSize", "1468", "tsize", "0"}));
  ASSERT_EQ(parsed.status, RequestStatus::kOk);
  EXPECT_EQ(parsed.request.opcode, TftpOpcode::kReadRequest);
  EXPECT_EQ(parsed.request.fileName, "dir/fw.bin");
  EXPECT_EQ(parsed.request.mode, TftpMode::kOctet);
  ASSERT_EQ(parsed.request.options.size(), 2u);
  EXPECT_EQ(parsed.request.options[0].name, "blksize");
  EXPECT_EQ(parsed.request.options[0].value, "1468");
  EXPECT_EQ(parsed.request.options[1].name, "tsize");
}

TEST(ParseAckAndError, ReadFieldsAndRejectOtherPackets) {
  EXPECT_EQ(ParseAck(Ack(65535)), 65535);
  EXPECT_FALSE(ParseAck(Bytes(std::string("\0\4\0", 3))));
  EXPECT_FALSE(ParseAck(Request(1, "a", "octet")));

  const auto error = ParseErrorPacket(BuildErrorPacket(TftpErrorCode::kOptionRefused, "no"));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code, 8);
  EXPECT_EQ(error->message, "no");
  const auto unterminated = ParseErrorPacket(Bytes(std::string("\0\5\0\1gone", 8)));
  ASSERT_TRUE(unterminated);
  EXPECT_EQ(unterminated->message, "gone");
}

std::vector<TftpOption> Options(std::vector<std::pair<std::string, std::string>> pairs) {
  std::vector<TftpOption> out;
  for (auto& [name, value] : pairs) out.push_back({name, value});
  return out;
}

TEST(NegotiateOptions, AcceptsSupportedOptionsWithinTheirRanges) {
  const Negotiation n = NegotiateOptions(Options({{"blksize", "70000"},
                                                  {"windowsize", "8"},
                                                  {"timeout", "3"},
                                                  {"tsize", "0"},
                                                  {"multicast", ""},
                                                  {"blksize", "512"}}),
                                         123456);
  ASSERT_FALSE(n.refused);
  EXPECT_EQ(n.options.blockSize, kMaxBlockSize);
  EXPECT_EQ(n.options.windowSize, 8);
  EXPECT_EQ(n.options.timeoutSeconds, 3);
  // Unknown options are left out and the first blksize counts.
  const auto expected =
      Options({{"blksize", "65464"}, {"windowsize", "8"}, {"timeout", "3"}, {"tsize", "123456"}});
  ASSERT_EQ(n.options.acknowledged.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(n.options.acknowledged[i].name, expected[i].name);
    EXPECT_EQ(n.options.acknowledged[i].value, expected[i].value);
  }
}

TEST(NegotiateOptions, CapsTheWindow) {
  EXPECT_EQ(NegotiateOptions(Options({{"windowsize", "500"}}), 1).options.windowSize,
            kMaxWindowSize);
  const Negotiation n = NegotiateOptions(Options({{"windowsize", "64"}, {"blksize", "65464"}}), 1);
  EXPECT_EQ(n.options.windowSize, kMaxWindowBytes / 65464);
  EXPECT_EQ(n.options.acknowledged[0].value, std::to_string(kMaxWindowBytes / 65464));
}

TEST(NegotiateOptions, LeavesTsizeOutWhenTheSizeIsNotKnown) {
  const Negotiation n = NegotiateOptions(Options({{"tsize", "0"}}), std::nullopt);
  EXPECT_FALSE(n.refused);
  EXPECT_TRUE(n.options.acknowledged.empty());
}

TEST(NegotiateOptions, RefusesValuesOutOfRange) {
  for (const auto& [name, value] :
       std::vector<std::pair<std::string, std::string>>{{"blksize", "7"},
                                                        {"blksize", "big"},
                                                        {"blksize", "-512"},
                                                        {"windowsize", "0"},
                                                        {"timeout", "0"},
                                                        {"timeout", "256"},
                                                        {"tsize", "x"}}) {
    EXPECT_TRUE(NegotiateOptions(Options({{name, value}}), 10).refused) << name << "=" << value;
  }
}

TEST(TftpPacket, BuildsOptionAckErrorAndDataHeader) {
  EXPECT_EQ(Text(BuildOptionAck(Options({{"blksize", "1468"}, {"tsize", "9"}}))),
            std::string("\0\6blksize\0001468\0tsize\0009\0", 23));
  EXPECT_EQ(Text(BuildErrorPacket(TftpErrorCode::kFileNotFound, "File not found")),
            std::string("\0\5\0\1File not found\0", 19));
  std::byte header[4];
  WriteDataHeader(header, 0x1234);
  EXPECT_EQ(Text(header), std::string("\0\3\x12\x34", 4));
}

}  // namespace
