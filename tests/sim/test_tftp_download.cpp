// The devices' TFTP client as a state machine: what it sends for each packet
// the server sends, and how a download ends.

#include "sim/tftp_download.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Packet(uint16_t opcode, uint16_t number, const Bytes& body = {}) {
  Bytes packet = {static_cast<uint8_t>(opcode >> 8), static_cast<uint8_t>(opcode),
                  static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
  packet.insert(packet.end(), body.begin(), body.end());
  return packet;
}

Bytes Data(uint16_t block, std::size_t size) { return Packet(3, block, Bytes(size, 0x5a)); }
Bytes Ack(uint16_t block) { return Packet(4, block); }

Bytes Text(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

constexpr uint16_t kTid = 40000;

TEST(TftpDownload, ReadRequestInOctetModeWithTheBlockSizeAskedFor) {
  const std::string plain("\0\1fw.bin\0octet\0", 15);
  EXPECT_EQ(TftpDownload("fw.bin", 0, 100).Start(), Bytes(plain.begin(), plain.end()));
  const std::string sized(
      "\0\1fw.bin\0octet\0blksize\0"
      "1428\0",
      28);
  EXPECT_EQ(TftpDownload("fw.bin", 1428, 100).Start(), Bytes(sized.begin(), sized.end()));
}

TEST(TftpDownload, CountsTheBlocksAndEndsWithTheShortOne) {
  TftpDownload download("fw.bin", 0, 2000);
  download.Start();
  EXPECT_EQ(download.OnDatagram(Data(1, 512), kTid), Ack(1));
  EXPECT_EQ(download.ServerPort(), kTid);
  // A packet from another port is no part of the transfer.
  EXPECT_TRUE(download.OnDatagram(Data(2, 512), kTid + 1).empty());
  EXPECT_EQ(download.OnDatagram(Data(2, 512), kTid), Ack(2));
  // The server did not get our ACK and sends block 2 again: ACK again, count once.
  EXPECT_EQ(download.OnDatagram(Data(2, 512), kTid), Ack(2));
  EXPECT_EQ(download.OnDatagram(Data(3, 100), kTid), Ack(3));
  EXPECT_EQ(download.GetState(), TftpDownload::State::kDone);
  EXPECT_EQ(download.Received(), 1124u);
  EXPECT_EQ(download.OnDatagram(Data(3, 100), kTid), Ack(3));  // lingering
  EXPECT_EQ(download.Received(), 1124u);

  // A file of an exact multiple of the block size ends with an empty block.
  TftpDownload exact("fw.bin", 0, 2000);
  exact.OnDatagram(Data(1, 512), kTid);
  EXPECT_EQ(exact.GetState(), TftpDownload::State::kRunning);
  exact.OnDatagram(Data(2, 0), kTid);
  EXPECT_EQ(exact.GetState(), TftpDownload::State::kDone);
  EXPECT_EQ(exact.Received(), 512u);
}

TEST(TftpDownload, TakesTheNegotiatedBlockSize) {
  TftpDownload download("fw.bin", 1024, 5000);
  download.Start();
  Bytes oack = Text("blksize");
  const Bytes value = Text("800");
  oack.insert(oack.end(), value.begin(), value.end());
  oack.insert(oack.begin(), {0, 6});
  EXPECT_EQ(download.OnDatagram(oack, kTid), Ack(0));
  EXPECT_EQ(download.OnDatagram(Data(1, 800), kTid), Ack(1));
  EXPECT_EQ(download.GetState(), TftpDownload::State::kRunning);
  download.OnDatagram(Data(2, 799), kTid);
  EXPECT_EQ(download.GetState(), TftpDownload::State::kDone);

  // A server that ignores the option sends 512-byte blocks; a larger one is wrong.
  TftpDownload ignored("fw.bin", 1024, 5000);
  EXPECT_EQ(ignored.OnDatagram(Data(1, 512), kTid), Ack(1));
  EXPECT_FALSE(ignored.OnDatagram(Data(2, 600), kTid).empty());  // an error packet
  EXPECT_EQ(ignored.GetState(), TftpDownload::State::kFailed);
}

TEST(TftpDownload, FailsOnServerErrorsOversizeFilesBadOptionsAndSilence) {
  TftpDownload missing("nothing.bin", 0, 100);
  Bytes error = Packet(5, 1, Text("File not found"));
  EXPECT_TRUE(missing.OnDatagram(error, kTid).empty());
  EXPECT_EQ(missing.GetState(), TftpDownload::State::kFailed);
  EXPECT_NE(missing.Error().find("File not found"), std::string::npos);

  TftpDownload large("fw.bin", 0, 600);
  large.OnDatagram(Data(1, 512), kTid);
  const Bytes abort = large.OnDatagram(Data(2, 512), kTid);
  ASSERT_GE(abort.size(), 4u);
  EXPECT_EQ(abort[1], 5);  // ERROR, so the server stops at once
  EXPECT_EQ(large.GetState(), TftpDownload::State::kFailed);

  Bytes unasked = Text("tsize");
  const Bytes v = Text("5");
  unasked.insert(unasked.end(), v.begin(), v.end());
  unasked.insert(unasked.begin(), {0, 6});
  TftpDownload strange("fw.bin", 0, 600);
  EXPECT_FALSE(strange.OnDatagram(unasked, kTid).empty());
  EXPECT_EQ(strange.GetState(), TftpDownload::State::kFailed);

  TftpDownload silent("fw.bin", 0, 600, 2);
  const Bytes request = silent.Start();
  EXPECT_EQ(silent.OnTimeout(), request);
  EXPECT_EQ(silent.OnTimeout(), request);
  EXPECT_TRUE(silent.OnTimeout().empty());
  EXPECT_EQ(silent.GetState(), TftpDownload::State::kFailed);
  // Each answered block gives the next packet its own retries.
  TftpDownload slow("fw.bin", 0, 2000, 1);
  slow.OnDatagram(Data(1, 512), kTid);
  EXPECT_EQ(slow.OnTimeout(), Ack(1));
  slow.OnDatagram(Data(2, 512), kTid);
  EXPECT_EQ(slow.OnTimeout(), Ack(2));
}

TEST(TftpDownload, BlockNumbersWrapPast65535) {
  TftpDownload download("fw.bin", 8, 1'000'000, 1);
  Bytes oack = {0, 6};
  for (const Bytes& part : {Text("blksize"), Text("8")})
    oack.insert(oack.end(), part.begin(), part.end());
  download.OnDatagram(oack, kTid);
  uint16_t block = 1;
  for (int i = 0; i < 70000; ++i, ++block)
    ASSERT_EQ(download.OnDatagram(Data(block, 8), kTid), Ack(block)) << i;
  download.OnDatagram(Data(block, 3), kTid);
  EXPECT_EQ(download.GetState(), TftpDownload::State::kDone);
  EXPECT_EQ(download.Received(), 70000u * 8 + 3);
}

}  // namespace
