// Answers to commands on the reply port: stored status, the address change of
// set_ip, the site survey's pages and scan_complete.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "protocol/command_answer_handler.h"
#include "tests/protocol/engine_fixture.h"

namespace {

const std::string kMac = "00:11:22:33:44:0a";
const std::string kOtherMac = "00:11:22:33:44:0b";
const std::string kIp = "10.77.1.5";

TEST(CommandAnswers, ResultBytesSetTheStoredStatus) {
  struct Case {
    uint16_t type;
    uint8_t result;
    int before;
    int after;
  };
  const Case cases[] = {
      {kMsgReboot, 0, 1, 4},        {kMsgReboot, 1, 1, 1},        {kMsgFactoryReset, 0, 1, 5},
      {kMsgFactoryReset, 2, 1, 1},  {kMsgSetBridge, 0, 1, 2},     {kMsgSetBridge, 1, 1, 3},
      {kMsgSetVlan, 0, 1, 4},       {kMsgSetVlan, 1, 1, 1},       {kMsgUpgradeStatus, 0, 1, 6},
      {kMsgUpgradeStatus, 1, 7, 9}, {kMsgUpgradeStatus, 2, 7, 8}, {kMsgUpgradeStatus, 255, 6, 8},
      {kMsgUpgrade, 1, 1, 1},       {kMsgUpgradeQuery, 0, 6, 7},  {kMsgUpgradeQuery, 0, 8, 8},
      {kMsgUpgradeQuery, 0, 1, 1},  {kMsgSetName, 1, 1, 1},       {kMsgSetTdma, 0, 9, 9},
  };
  EngineFixture f;
  f.Report(kMac, kIp);
  for (const Case& c : cases) {
    f.store.SetDeviceStatus(kMac, c.before);
    f.Feed(EngineSocket::kReply, DeviceDatagram(c.type, kMac, {c.result}), kIp);
    EXPECT_EQ(f.store.GetDeviceStatus(kMac), c.after)
        << MessageTypeName(c.type) << " result " << int{c.result} << " from " << c.before;
  }
  // An answer without its result byte reads it as 0.
  f.store.SetDeviceStatus(kMac, 1);
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgReboot, kMac, {}), kIp);
  EXPECT_EQ(f.store.GetDeviceStatus(kMac), 4);
}

TEST(CommandAnswers, OnlyAnswersFromTheAddressSentToAcknowledge) {
  EngineFixture f;
  f.Report(kMac, kIp);
  ASSERT_TRUE(f.engine->SendToDevice(kIp, kMsgSetName, std::vector<uint8_t>(33), kMac, true));
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetName, kMac, std::vector<uint8_t>(33)),
         "10.77.1.6");
  EXPECT_EQ(f.engine->Acknowledgements(kMac, kMsgSetName), 0u);
  EXPECT_EQ(f.engine->PendingCommands().size(), 1u);
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetName, kMac, std::vector<uint8_t>(33)), kIp);
  EXPECT_EQ(f.engine->Acknowledgements(kMac, kMsgSetName), 1u);
  EXPECT_TRUE(f.engine->PendingCommands().empty());
  // A second echo finds nothing pending and counts nothing.
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetName, kMac, std::vector<uint8_t>(33)), kIp);
  EXPECT_EQ(f.engine->Acknowledgements(kMac, kMsgSetName), 1u);
  EXPECT_EQ(f.engine->Acknowledgements(kOtherMac, kMsgSetName), 0u);
}

TEST(CommandAnswers, SetIpAnswerFromTheOldAddressMovesTheEntry) {
  EngineFixture f;
  f.Report(kMac, kIp);
  // A current address that is not the entry's changes nothing.
  f.engine->FollowIpChange(kMac, "10.77.1.99", "10.77.2.2");
  EXPECT_EQ(f.Entry(kMac)->new_ip, "");
  f.engine->FollowIpChange(kMac, kIp, "10.77.1.9");
  EXPECT_EQ(f.Entry(kMac)->new_ip, "10.77.1.9");

  const std::vector<uint8_t> answer(22);
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetIp, kMac, answer), "10.77.1.9");
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetIp, kOtherMac, answer), kIp);
  EXPECT_EQ(f.Entry(kMac)->ip, kIp);
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetIp, kMac, answer), kIp);
  EXPECT_EQ(f.Entry(kMac)->ip, "10.77.1.9");
  EXPECT_EQ(f.Entry(kMac)->new_ip, "");

  // The moved device's next announcement asks for a full report, so its row
  // gets the new settings; once reported, an announcement asks for none.
  for (const bool reportDue : {true, false}) {
    f.transport->ClearSent();
    f.Feed(EngineSocket::kAnnounce, Announcement(kMac), "10.77.1.9");
    EXPECT_EQ(f.transport->SentOfType(kMsgDeviceInfo).size(), reportDue ? 1u : 0u);
    if (reportDue) f.Feed(EngineSocket::kReply, Report(kMac, "10.77.1.9"), "10.77.1.9");
  }
  ap_info_stu stored{};
  ASSERT_TRUE(f.store.GetDevice(kMac, stored));
  EXPECT_EQ(IpText(stored.ip), "10.77.1.9");

  // The old address is free for another device, the new one is the mover's.
  f.Report(kOtherMac, kIp);
  EXPECT_EQ(f.Entry(kOtherMac)->state, EntryState::kReported);
  f.Feed(EngineSocket::kReply, Report(kMac, "10.77.1.9"), "10.77.1.9");
  f.Feed(EngineSocket::kAnnounce, Announcement("00:11:22:33:44:0c"), "10.77.1.9");
  f.Feed(EngineSocket::kReply, Report("00:11:22:33:44:0c", "10.77.1.9"), "10.77.1.9");
  EXPECT_EQ(f.Entry("00:11:22:33:44:0c")->state, EntryState::kAnnounced);

  // The same address again forgets an outstanding change.
  f.engine->FollowIpChange(kMac, "10.77.1.9", "10.77.1.20");
  f.engine->FollowIpChange(kMac, "10.77.1.9", "10.77.1.9");
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetIp, kMac, answer), "10.77.1.9");
  EXPECT_EQ(f.Entry(kMac)->ip, "10.77.1.9");
}

// A survey result page; entry i has the MAC ..:pp:ii and signal -i.
std::vector<uint8_t> ScanPageDatagram(uint8_t count, uint8_t id, uint8_t claimed,
                                      std::size_t entries, const std::string& ssid = "net") {
  std::vector<uint8_t> payload(3 + entries * kScanEntrySize);
  payload[0] = count;
  payload[1] = id;
  payload[2] = claimed;
  for (std::size_t i = 0; i < entries; ++i) {
    uint8_t* entry = &payload[3 + i * kScanEntrySize];
    const uint8_t mac[6] = {2, 0, 0, 0, id, static_cast<uint8_t>(i)};
    std::memcpy(entry, mac, 6);
    entry[6] = static_cast<uint8_t>(-static_cast<int>(i));
    entry[7] = 36;
    std::memcpy(entry + 9, ssid.data(), std::min<std::size_t>(ssid.size(), 32));
    entry[41] = static_cast<uint8_t>(ssid.size());
  }
  return DeviceDatagram(kMsgSiteSurvey, kMac, payload);
}

std::size_t StoredScanCount(CSqlManagement& store) {
  std::vector<ScanEntry> entries;
  store.GetScanResults(0, 1, entries);
  return entries.size();
}

TEST(CommandAnswers, SurveyPagesAreStoredAndTheLastSetsScanComplete) {
  EngineFixture f;
  f.Report(kMac, kIp);
  ASSERT_TRUE(f.engine->SendToDevice(kIp, kMsgSiteSurvey, {}, kMac, true));
  EXPECT_TRUE(f.engine->PendingCommands().empty());
  EXPECT_FALSE(f.engine->ScanComplete());

  // A page claiming 40 entries is read as 32.
  f.Feed(EngineSocket::kReply, ScanPageDatagram(2, 0, 40, 32), kIp);
  EXPECT_FALSE(f.engine->ScanComplete());
  EXPECT_EQ(StoredScanCount(f.store), 32u);
  // The SSID loses the UTF-8 sequence the device cut.
  f.Feed(EngineSocket::kReply, ScanPageDatagram(2, 1, 3, 3, "caf\xc3"), kIp);
  EXPECT_TRUE(f.engine->ScanComplete());
  EXPECT_EQ(StoredScanCount(f.store), 35u);
  ScanEntry entry;
  ASSERT_TRUE(f.store.GetScanResult("02:00:00:00:01:02", entry));
  EXPECT_EQ(std::string(entry.ssid, entry.ssid_len), "caf");

  // A page after the last is stored and leaves the flag; a new request clears it.
  f.Feed(EngineSocket::kReply, ScanPageDatagram(2, 0, 1, 1), kIp);
  EXPECT_TRUE(f.engine->ScanComplete());
  f.engine->SendToDevice(kIp, kMsgSiteSurvey, {}, kMac, false);
  EXPECT_FALSE(f.engine->ScanComplete());
  // An empty last page sets the flag and nothing else; so does a one-page scan.
  f.Feed(EngineSocket::kReply, ScanPageDatagram(3, 2, 0, 0), kIp);
  EXPECT_TRUE(f.engine->ScanComplete());
  EXPECT_EQ(StoredScanCount(f.store), 35u);
  f.engine->SendToDevice(kIp, kMsgSiteSurvey, {}, kMac, false);
  f.Feed(EngineSocket::kReply, ScanPageDatagram(1, 0, 1, 1), kIp);
  EXPECT_TRUE(f.engine->ScanComplete());
  // A page of no pages completes nothing.
  f.engine->SendToDevice(kIp, kMsgSiteSurvey, {}, kMac, false);
  f.Feed(EngineSocket::kReply, ScanPageDatagram(0, 0, 0, 0), kIp);
  EXPECT_FALSE(f.engine->ScanComplete());
}

TEST(CommandAnswers, AnswersFromWorkersWhileSendersFollowAddresses) {
  // The reply worker and a sender thread meet in the online list, the pending
  // list and the acknowledgement counts.
  EngineFixture f;
  f.Report(kMac, kIp);
  std::jthread sender([&] {
    for (int i = 0; i < 200; ++i) {
      f.engine->FollowIpChange(kMac, kIp, "10.77.1.9");
      f.engine->SendToDevice(kIp, kMsgReboot, {}, kMac, true);
      f.engine->Acknowledgements(kMac, kMsgReboot);
    }
  });
  for (int i = 0; i < 200; ++i) {
    f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgReboot, kMac, {0}), kIp);
    f.Feed(EngineSocket::kReply, ScanPageDatagram(1, 0, 1, 1), kIp);
    f.engine->ScanComplete();
  }
  sender.join();
  EXPECT_EQ(f.store.GetDeviceStatus(kMac), 4);
}

}  // namespace
