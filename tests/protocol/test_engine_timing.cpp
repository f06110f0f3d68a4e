// The engine's threads with a recording transport and a manual clock:
// retransmission, ageing, datagrams through the receive queues, and Stop.

#include <gtest/gtest.h>

#include <thread>

#include "tests/protocol/engine_fixture.h"

namespace {

using std::chrono::milliseconds;

const std::string kMacA = "00:11:22:33:44:0a";
const std::string kMacB = "00:11:22:33:44:0b";

template <typename Predicate>
bool WaitUntil(Predicate predicate, milliseconds timeout = milliseconds(5000)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return true;
}

class EngineThreads : public ::testing::Test {
 protected:
  // The ageing and the retransmission thread sleep on the manual clock.
  static constexpr std::size_t kTimedThreads = 2;

  void Start(int interval, int max) {
    ASSERT_TRUE(f.engine->Start(interval, max));
    ASSERT_TRUE(f.clock->WaitForSleepers(kTimedThreads));
  }
  void Advance(int ms) {
    f.clock->Advance(milliseconds(ms));
    ASSERT_TRUE(f.clock->WaitForSleepers(kTimedThreads));
  }
  void Deliver(EngineSocket socket, std::vector<uint8_t> datagram, const std::string& ip) {
    f.transport->Deliver(socket, std::move(datagram), Address(ip));
  }
  bool IsReported(const std::string& mac) {
    const auto entry = f.Entry(mac);
    return entry && entry->state == EntryState::kReported;
  }
  std::vector<long> SendTimes(uint16_t type) {
    std::vector<long> times;
    for (const SentDatagram& sent : f.transport->SentOfType(type)) times.push_back(sent.at.count());
    return times;
  }

  EngineFixture f;
};

TEST_F(EngineThreads, CommandIsSentAtZeroTwoFourSixAndDroppedAtEight) {
  Start(2000, 3);
  ASSERT_TRUE(f.engine->SendToDevice("10.77.1.1", kMsgReboot, {}, kMacA, true));
  for (int step = 0; step < 3; ++step) Advance(2000);
  EXPECT_EQ(SendTimes(kMsgReboot), (std::vector<long>{0, 2000, 4000, 6000}));
  EXPECT_EQ(f.engine->PendingCommands().size(), 1u);
  Advance(2000);
  EXPECT_TRUE(f.engine->PendingCommands().empty());
  Advance(2000);
  EXPECT_EQ(SendTimes(kMsgReboot).size(), 4u);
  // Resends carry the same bytes as the first send.
  const auto sent = f.transport->SentOfType(kMsgReboot);
  EXPECT_EQ(sent.front().bytes, sent.back().bytes);
}

TEST_F(EngineThreads, WithoutRetriesACommandIsSentOnceAndDroppedAtTheFirstTick) {
  Start(2000, 0);
  ASSERT_TRUE(f.engine->SendToDevice("10.77.1.1", kMsgReboot, {}, kMacA, true));
  EXPECT_EQ(f.engine->PendingCommands().size(), 1u);
  Advance(2000);
  EXPECT_TRUE(f.engine->PendingCommands().empty());
  EXPECT_EQ(SendTimes(kMsgReboot), std::vector<long>{0});
}

TEST_F(EngineThreads, AcknowledgementThroughTheReplySocketStopsTheResends) {
  Start(2000, 3);
  ASSERT_TRUE(f.engine->SendToDevice("10.77.1.1", kMsgReboot, {}, kMacA, true));
  Advance(2000);
  // From another address first: not an acknowledgement.
  Deliver(EngineSocket::kReply, DeviceDatagram(kMsgReboot, kMacA, {0}), "10.77.1.2");
  Deliver(EngineSocket::kReply, DeviceDatagram(kMsgReboot, kMacA, {0}), "10.77.1.1");
  ASSERT_TRUE(WaitUntil([&] { return f.engine->PendingCommands().empty(); }));
  EXPECT_EQ(f.engine->Counters().accepted[2], 2u);
  Advance(2000);
  EXPECT_EQ(SendTimes(kMsgReboot), (std::vector<long>{0, 2000}));
}

TEST_F(EngineThreads, SearchFlowThroughTheQueues) {
  Start(2000, 3);
  Deliver(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.1");
  ASSERT_TRUE(WaitUntil([&] { return f.engine->PendingCommands().size() == 1; }));
  Deliver(EngineSocket::kReply, Report(kMacA, "10.77.1.1"), "10.77.1.1");
  ASSERT_TRUE(WaitUntil([&] { return IsReported(kMacA); }));
  ASSERT_TRUE(WaitUntil([&] { return f.StoredMacs() == std::vector<std::string>{kMacA}; }));
  EXPECT_TRUE(f.engine->PendingCommands().empty());
  // Rejected datagrams are counted as received, never queued.
  Deliver(EngineSocket::kKeepalive, std::vector<uint8_t>(15, 0x86), "10.77.1.1");
  Deliver(EngineSocket::kKeepalive, std::vector<uint8_t>(1473, 0), "10.77.1.1");
  ASSERT_TRUE(WaitUntil([&] { return f.engine->Counters().received[1] == 2; }));
  EXPECT_EQ(f.engine->Counters().accepted[1], 0u);
}

TEST_F(EngineThreads, SilentDeviceIsRemovedWithItsRowAtTheFourthAgeingPass) {
  Start(2000, 3);
  Deliver(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.1");
  Deliver(EngineSocket::kAnnounce, Announcement(kMacB), "10.77.1.2");
  ASSERT_TRUE(WaitUntil([&] { return f.engine->OnlineDevices().size() == 2; }));
  Deliver(EngineSocket::kReply, Report(kMacA, "10.77.1.1"), "10.77.1.1");
  ASSERT_TRUE(WaitUntil([&] { return f.StoredMacs().size() == 1; }));

  // Keepalives until 20 s keep it; then silence.
  for (int second = 2; second <= 20; second += 2) {
    Advance(2000);
    if (second % 4 == 0) {
      const std::size_t before = f.transport->SentOfType(kMsgKeepalive).size();
      Deliver(EngineSocket::kKeepalive, Keepalive(kMacA, 1000u + second), "10.77.1.1");
      ASSERT_TRUE(WaitUntil([&] { return f.transport->SentOfType(kMsgKeepalive).size() > before; }));
    }
  }
  // Passes at 30, 40 and 50 s count its age down; the one at 60 s, the fourth
  // after the last keepalive, removes it and its row.
  for (int second = 22; second <= 60; second += 2) {
    Advance(2000);
    ASSERT_EQ(f.Entry(kMacA).has_value(), second < 60) << second;
  }
  EXPECT_TRUE(f.StoredMacs().empty());
  EXPECT_TRUE(f.Entry(kMacB));  // announced devices never age
}

TEST_F(EngineThreads, StopJoinsEveryThreadAndReleasesEveryOnlineDevice) {
  Start(2000, 3);
  Deliver(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.1");
  Deliver(EngineSocket::kAnnounce, Announcement(kMacB), "10.77.1.2");
  ASSERT_TRUE(WaitUntil([&] { return f.engine->OnlineDevices().size() == 2; }));
  Deliver(EngineSocket::kReply, Report(kMacA, "10.77.1.1"), "10.77.1.1");
  ASSERT_TRUE(WaitUntil([&] { return IsReported(kMacA); }));

  const auto started = std::chrono::steady_clock::now();
  f.engine->Stop();
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, std::chrono::seconds(1));  // no thread waits out its sleep
  EXPECT_FALSE(f.engine->IsRunning());
  std::vector<std::string> released;
  for (const SentDatagram& sent : f.transport->SentOfType(kMsgRelease)) released.push_back(sent.Mac());
  EXPECT_EQ(released, (std::vector<std::string>{kMacA, kMacB}));
  EXPECT_TRUE(f.engine->OnlineDevices().empty());
  f.engine->Stop();  // a second stop does nothing
  EXPECT_EQ(f.transport->SentOfType(kMsgRelease).size(), 2u);
  EXPECT_FALSE(f.engine->Start(2000, 3));  // an engine starts once
}

TEST(EngineStart, FailsWhenTheSocketsCannotBeOpened) {
  EngineFixture f;
  f.transport->FailOpen();
  EXPECT_FALSE(f.engine->Start(2000, 3));
  EXPECT_FALSE(f.engine->IsRunning());
  f.engine->Stop();
}

TEST(ReceiveQueue, BoundedQueueDropsAndCountsTheExcess) {
  CReceiveQueue queue(4);
  QueueRecord record;
  for (int i = 0; i < 6; ++i) {
    record.length = static_cast<std::size_t>(i);
    queue.Push(record);
  }
  EXPECT_EQ(queue.Dropped(), 2u);
  std::deque<QueueRecord> taken;
  ASSERT_TRUE(queue.TakeAll(taken));
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken.front().length, 0u);
  EXPECT_EQ(taken.back().length, 3u);
  EXPECT_TRUE(queue.Push(record));  // room again once taken
}

TEST(ReceiveQueue, StopWakesAWaitingConsumer) {
  CReceiveQueue queue(4);
  std::thread consumer([&] {
    std::deque<QueueRecord> taken;
    EXPECT_FALSE(queue.TakeAll(taken));
  });
  std::this_thread::sleep_for(milliseconds(5));
  queue.Stop();
  consumer.join();
  EXPECT_FALSE(queue.Push(QueueRecord{}));
}

}  // namespace
