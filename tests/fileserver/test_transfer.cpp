#include "fileserver/transfer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "tests/fileserver/packet_bytes.h"

namespace {

using namespace std::chrono_literals;
using Clock = Transfer::Clock;

FileSource MemorySource(const std::string& content, TftpMode mode = TftpMode::kOctet) {
  const int fd = ::memfd_create("served", MFD_CLOEXEC);
  EXPECT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  return FileSource(UniqueFd(fd), mode);
}

std::string Pattern(std::size_t size) {
  std::string out(size, '\0');
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
  return out;
}

TransferOptions WithOptions(uint16_t blockSize, uint16_t windowSize) {
  TransferOptions options;
  options.blockSize = blockSize;
  options.windowSize = windowSize;
  options.acknowledged = {{"blksize", std::to_string(blockSize)}};
  return options;
}

struct Received {
  std::vector<uint16_t> wireBlocks;
  std::string data;
};

// Acts as a well-behaved client: acknowledges every window (each packet in
// lock-step, the last of each window otherwise) and collects the data.
Received Drive(Transfer& transfer, std::size_t windowSize) {
  Received got;
  auto now = Clock::time_point{};
  transfer.Start(now);
  for (int rounds = 0; transfer.GetState() == Transfer::State::kRunning; ++rounds) {
    if (rounds > 1'000'000) {
      ADD_FAILURE() << "transfer does not end";
      break;
    }
    const auto packets = transfer.Outgoing();
    EXPECT_FALSE(packets.empty());
    EXPECT_LE(packets.size(), windowSize);
    uint16_t lastBlock = 0;
    for (const auto& packet : packets) {
      const uint16_t opcode = U16At(packet, 0);
      if (opcode == static_cast<uint16_t>(TftpOpcode::kOptionAck)) continue;
      EXPECT_EQ(opcode, static_cast<uint16_t>(TftpOpcode::kData));
      lastBlock = U16At(packet, 2);
      got.wireBlocks.push_back(lastBlock);
      got.data += Text(packet.subspan(4));
    }
    transfer.OnPacket(Ack(lastBlock), now);
  }
  return got;
}

TEST(Transfer, LockStepWithoutOptionsEndsWithAShortBlock) {
  const std::string content = Pattern(512 * 3 + 100);
  Transfer transfer(MemorySource(content), TransferOptions{}, {});
  const Received got = Drive(transfer, 1);
  EXPECT_EQ(transfer.GetState(), Transfer::State::kDone);
  EXPECT_EQ(got.data, content);
  EXPECT_EQ(got.wireBlocks, (std::vector<uint16_t>{1, 2, 3, 4}));
  EXPECT_EQ(transfer.BytesAcknowledged(), content.size());
}

TEST(Transfer, AFileOfWholeBlocksEndsWithAnEmptyBlock) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1024}}) {
    const std::string content = Pattern(size);
    Transfer transfer(MemorySource(content), TransferOptions{}, {});
    const Received got = Drive(transfer, 1);
    EXPECT_EQ(got.data, content);
    EXPECT_EQ(got.wireBlocks.size(), size / 512 + 1) << size;
  }
}

TEST(Transfer, OptionAckComesFirstAndAckZeroStartsTheData) {
  Transfer transfer(MemorySource(Pattern(100)), WithOptions(1468, 1), {});
  const auto start = Clock::time_point{};
  transfer.Start(start);
  ASSERT_EQ(transfer.Outgoing().size(), 1u);
  EXPECT_EQ(Text(transfer.Outgoing()[0]), std::string("\0\6blksize\0001468\0", 15));
  transfer.OnPacket(Ack(1), start);  // not an answer to the OACK
  EXPECT_TRUE(transfer.Outgoing().empty());
  transfer.OnPacket(Ack(0), start);
  ASSERT_EQ(transfer.Outgoing().size(), 1u);
  EXPECT_EQ(transfer.Outgoing()[0].size(), 4u + 100u);
}

TEST(Transfer, BlockNumbersRollOverPast65535) {
  const std::string content = Pattern(8 * 65540 + 3);
  Transfer transfer(MemorySource(content), WithOptions(8, 1), {});
  const Received got = Drive(transfer, 1);
  EXPECT_EQ(transfer.GetState(), Transfer::State::kDone);
  EXPECT_EQ(got.data, content);
  ASSERT_EQ(got.wireBlocks.size(), 65541u);
  EXPECT_EQ(got.wireBlocks[65534], 65535);
  EXPECT_EQ(got.wireBlocks[65535], 0);
  EXPECT_EQ(got.wireBlocks[65536], 1);
}

TEST(Transfer, WindowsGoBackToBackAndAPartialAckRestartsAfterIt) {
  const std::string content = Pattern(8 * 10);
  Transfer transfer(MemorySource(content), WithOptions(8, 4), {});
  const auto now = Clock::time_point{};
  transfer.Start(now);
  transfer.OnPacket(Ack(0), now);
  ASSERT_EQ(transfer.Outgoing().size(), 4u);
  EXPECT_EQ(U16At(transfer.Outgoing()[3], 2), 4);
  // The client lost block 3: it acknowledges 2, the next window starts at 3.
  transfer.OnPacket(Ack(2), now);
  ASSERT_EQ(transfer.Outgoing().size(), 4u);
  EXPECT_EQ(U16At(transfer.Outgoing()[0], 2), 3);
  EXPECT_EQ(Text(transfer.Outgoing()[0].subspan(4)), content.substr(16, 8));
  EXPECT_EQ(U16At(transfer.Outgoing()[3], 2), 6);
}

TEST(Transfer, WindowedTransferDeliversEverything) {
  const std::string content = Pattern(512 * 100 + 1);
  Transfer transfer(MemorySource(content), WithOptions(512, 16), {});
  EXPECT_EQ(Drive(transfer, 16).data, content);
  EXPECT_EQ(transfer.GetState(), Transfer::State::kDone);
}

TEST(Transfer, DuplicateAndStaleAcksSendNothing) {
  Transfer transfer(MemorySource(Pattern(2000)), TransferOptions{}, {});
  const auto now = Clock::time_point{};
  transfer.Start(now);
  transfer.OnPacket(Ack(1), now);
  ASSERT_EQ(U16At(transfer.Outgoing()[0], 2), 2);
  for (uint16_t block : {1, 0, 3, 40000}) {
    transfer.OnPacket(Ack(block), now);
    EXPECT_TRUE(transfer.Outgoing().empty()) << block;
  }
}

TEST(Transfer, RetransmitsOnTimeoutThenGivesUp) {
  Transfer::Timing timing{100ms, 2};
  Transfer transfer(MemorySource(Pattern(2000)), TransferOptions{}, timing);
  auto now = Clock::time_point{};
  transfer.Start(now);
  const std::string first = Text(transfer.Outgoing()[0]);
  EXPECT_EQ(transfer.Deadline(), now + 100ms);
  transfer.OnTimer(now + 50ms);  // too early
  EXPECT_TRUE(transfer.Outgoing().empty());
  for (int retry = 1; retry <= 2; ++retry) {
    now = transfer.Deadline();
    transfer.OnTimer(now);
    ASSERT_EQ(transfer.Outgoing().size(), 1u);
    EXPECT_EQ(Text(transfer.Outgoing()[0]), first);
  }
  transfer.OnTimer(transfer.Deadline());
  EXPECT_TRUE(transfer.Outgoing().empty());
  EXPECT_EQ(transfer.GetState(), Transfer::State::kTimedOut);
}

TEST(Transfer, TheTimeoutOptionSetsTheRetransmissionTime) {
  TransferOptions options = WithOptions(512, 1);
  options.timeoutSeconds = 5;
  Transfer transfer(MemorySource("x"), options, {});
  transfer.Start(Clock::time_point{});
  EXPECT_EQ(transfer.Deadline(), Clock::time_point{} + 5s);
}

TEST(Transfer, ErrorFromTheClientEndsItAndGarbageGetsError4) {
  Transfer aborted(MemorySource(Pattern(2000)), TransferOptions{}, {});
  aborted.Start(Clock::time_point{});
  aborted.OnPacket(Bytes(std::string("\0\5\0\0stop\0", 9)), Clock::time_point{});
  EXPECT_EQ(aborted.GetState(), Transfer::State::kAbortedByPeer);
  EXPECT_TRUE(aborted.Outgoing().empty());

  Transfer garbled(MemorySource(Pattern(2000)), TransferOptions{}, {});
  garbled.Start(Clock::time_point{});
  garbled.OnPacket(Bytes(std::string("\0\3\0\1data", 8)), Clock::time_point{});
  EXPECT_EQ(garbled.GetState(), Transfer::State::kFailed);
  ASSERT_EQ(garbled.Outgoing().size(), 1u);
  EXPECT_EQ(U16At(garbled.Outgoing()[0], 0), 5);
  EXPECT_EQ(U16At(garbled.Outgoing()[0], 2), 4);
}

TEST(Transfer, NetasciiConvertsLineEndsAcrossBlockBoundaries) {
  // With 8-byte blocks the CR LF of the first line end straddles two blocks.
  const std::string content = "abcdefg\nh\ri\n";
  Transfer transfer(MemorySource(content, TftpMode::kNetascii), WithOptions(8, 1), {});
  const Received got = Drive(transfer, 1);
  EXPECT_EQ(got.data, std::string("abcdefg\r\nh\r\0i\r\n", 15));
  EXPECT_EQ(transfer.BytesAcknowledged(), 15u);
}

}  // namespace
