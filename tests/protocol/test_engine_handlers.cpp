// The handlers of announcements, reports and keepalives, and the online-list
// operations, driven synchronously through ProcessDatagram.

#include <gtest/gtest.h>

#include "tests/protocol/engine_fixture.h"

namespace {

const std::string kMacA = "00:11:22:33:44:0a";
const std::string kMacB = "00:11:22:33:44:0b";

std::vector<uint16_t> SentTypes(const CFakeTransport& transport) {
  std::vector<uint16_t> types;
  for (const SentDatagram& datagram : transport.Sent()) types.push_back(datagram.Header().type);
  return types;
}

TEST(EngineAcceptance, SizeMagicAndPortRulesApplyBeforeAnyHandler) {
  EngineFixture f;
  std::vector<uint8_t> minimal = DeviceDatagram(kMsgDeviceInfo, kMacA, {});
  EXPECT_TRUE(f.Feed(EngineSocket::kReply, minimal, "10.77.1.1"));
  EXPECT_FALSE(f.Feed(EngineSocket::kReply, {minimal.begin(), minimal.end() - 1}, "10.77.1.1"));
  std::vector<uint8_t> tooLong = DeviceDatagram(kMsgDeviceInfo, kMacA, std::vector<uint8_t>(1457));
  EXPECT_FALSE(f.Feed(EngineSocket::kReply, tooLong, "10.77.1.1"));
  std::vector<uint8_t> badMagic = minimal;
  badMagic[0] = 0x19;
  EXPECT_FALSE(f.Feed(EngineSocket::kReply, badMagic, "10.77.1.1"));
  // 9785 takes only discover and 9787 only keepalive.
  EXPECT_FALSE(f.Feed(EngineSocket::kAnnounce, Keepalive(kMacA, 1), "10.77.1.1"));
  EXPECT_FALSE(f.Feed(EngineSocket::kKeepalive, Announcement(kMacA), "10.77.1.1"));
  EXPECT_TRUE(f.engine->OnlineDevices().empty());
}

TEST(EngineAnnouncement, NewDeviceIsListedAndAskedForItsReport) {
  EngineFixture f;
  AnnouncementFields fields;
  fields.name = "tower";
  fields.up_time = 4242;
  ASSERT_TRUE(f.Feed(EngineSocket::kAnnounce, Announcement(kMacA, 7, fields), "10.77.1.1"));

  const auto entry = f.Entry(kMacA);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->ip, "10.77.1.1");
  EXPECT_EQ(entry->model, 7);
  EXPECT_EQ(entry->state, EntryState::kAnnounced);
  EXPECT_EQ(entry->up_time, 4242u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry->ap_name.data()), entry->ap_name[32]), "tower");
  EXPECT_EQ(entry->channel, 36);

  EXPECT_EQ(SentTypes(*f.transport), (std::vector<uint16_t>{kMsgDiscover, kMsgDeviceInfo}));
  for (const SentDatagram& sent : f.transport->Sent()) {
    EXPECT_FALSE(sent.search);
    EXPECT_EQ(sent.address, "10.77.0.1");  // from the adapter address in its subnet
    EXPECT_EQ(sent.Mac(), kMacA);
    EXPECT_EQ(sent.Header().addressed, 1);
    EXPECT_EQ(sent.bytes.size(), kDatagramHeaderSize);
  }
  const auto pending = f.engine->PendingCommands();
  ASSERT_EQ(pending.size(), 1u);  // the info request only; discover is never pending
  EXPECT_EQ(pending[0].type, kMsgDeviceInfo);
  EXPECT_EQ(pending[0].ip, "10.77.1.1");
}

TEST(EngineAnnouncement, ZeroMacGetsNoAnswerAndNoEntry) {
  EngineFixture f;
  EXPECT_TRUE(f.Feed(EngineSocket::kAnnounce, Announcement("00:00:00:00:00:00"), "10.77.1.1"));
  EXPECT_TRUE(f.engine->OnlineDevices().empty());
  EXPECT_TRUE(f.transport->Sent().empty());
}

TEST(EngineAnnouncement, ThirtyThreeBytePayloadFillsOnlyTheVersion) {
  EngineFixture f;
  ASSERT_TRUE(f.Feed(EngineSocket::kAnnounce, Announcement(kMacA, 1, {}, 33), "10.77.1.1"));
  const auto entry = f.Entry(kMacA);
  ASSERT_TRUE(entry);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry->version.data()), entry->version[32]), "V2.1.0");
  EXPECT_EQ(entry->ap_name[32], 0);
  EXPECT_EQ(entry->up_time, 0u);
  EXPECT_EQ(entry->work_mode, 0);
  EXPECT_EQ(SentTypes(*f.transport), (std::vector<uint16_t>{kMsgDiscover, kMsgDeviceInfo}));
}

TEST(EngineReport, AcceptedReportIsStoredAndAcknowledgesTheRequest) {
  EngineFixture f;
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.1");
  ASSERT_EQ(f.engine->PendingCommands().size(), 1u);
  ASSERT_TRUE(f.Feed(EngineSocket::kReply, Report(kMacA, "10.77.1.1", 266, "mast"), "10.77.1.1"));

  EXPECT_TRUE(f.engine->PendingCommands().empty());
  const auto entry = f.Entry(kMacA);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->state, EntryState::kReported);
  EXPECT_EQ(entry->model, 266);
  EXPECT_EQ(entry->bridge_transparent, 1);
  ap_info_stu stored{};
  ASSERT_TRUE(f.store.GetDevice(kMacA, stored));
  EXPECT_STREQ(stored.mac, kMacA.c_str());
  EXPECT_EQ(stored.ap_type, 266);
  EXPECT_EQ(stored.ap_status, kStatusOnline);
  EXPECT_EQ(IpText(stored.ip), "10.77.1.1");
  EXPECT_EQ(std::string(stored.ap_name, stored.ap_name_len), "mast");
  EXPECT_EQ(stored.channel, 149);
  EXPECT_EQ(f.engine->Counters().reports_stored, 1u);
}

TEST(EngineReport, ReportWithoutEntryOrForAnotherDevicesAddressIsIgnored) {
  EngineFixture f;
  EXPECT_TRUE(f.Feed(EngineSocket::kReply, Report(kMacA, "10.77.1.1"), "10.77.1.1"));
  EXPECT_TRUE(f.StoredMacs().empty());

  f.Report(kMacA, "10.77.1.1");
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacB), "10.77.1.2");
  // B claims A's address: ignored, B stays announced and unstored.
  f.Feed(EngineSocket::kReply, Report(kMacB, "10.77.1.1"), "10.77.1.2");
  EXPECT_EQ(f.Entry(kMacB)->state, EntryState::kAnnounced);
  EXPECT_EQ(f.StoredMacs(), std::vector<std::string>{kMacA});
  // A reporting its own address again is accepted.
  EXPECT_TRUE(f.Feed(EngineSocket::kReply, Report(kMacA, "10.77.1.1", 1, "renamed"), "10.77.1.1"));
  ap_info_stu stored{};
  ASSERT_TRUE(f.store.GetDevice(kMacA, stored));
  EXPECT_EQ(std::string(stored.ap_name, stored.ap_name_len), "renamed");
}

TEST(EngineReport, TheAddressHeldFollowsTheDevice) {
  EngineFixture f;
  f.Report(kMacA, "10.77.1.1");
  f.Feed(EngineSocket::kKeepalive, Keepalive(kMacA, 10), "10.77.1.5");  // A moved to .5
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacB), "10.77.1.2");
  f.Feed(EngineSocket::kReply, Report(kMacB, "10.77.1.5"), "10.77.1.2");
  EXPECT_EQ(f.Entry(kMacB)->state, EntryState::kAnnounced);
  f.Feed(EngineSocket::kReply, Report(kMacB, "10.77.1.1"), "10.77.1.2");
  EXPECT_EQ(f.Entry(kMacB)->state, EntryState::kReported);
  // Once A has gone silent and left, its address is free for others.
  for (int pass = 0; pass < 4; ++pass) f.engine->RunAgeingPass();
  ASSERT_FALSE(f.Entry(kMacA));
  ASSERT_FALSE(f.Entry(kMacB));
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacB), "10.77.1.2");
  f.Feed(EngineSocket::kReply, Report(kMacB, "10.77.1.5"), "10.77.1.2");
  EXPECT_EQ(f.Entry(kMacB)->state, EntryState::kReported);
}

TEST(EngineReport, ReportedDeviceAnnouncingAgain) {
  EngineFixture f;
  f.Report(kMacA, "10.77.1.1");
  f.transport->ClearSent();

  f.Feed(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.1");
  EXPECT_EQ(SentTypes(*f.transport), std::vector<uint16_t>{kMsgDiscover});
  EXPECT_TRUE(f.engine->PendingCommands().empty());

  f.transport->ClearSent();
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.9");
  EXPECT_EQ(SentTypes(*f.transport), (std::vector<uint16_t>{kMsgDiscover, kMsgDeviceInfo}));
  // The entry keeps the reported address until the new report arrives.
  EXPECT_EQ(f.Entry(kMacA)->ip, "10.77.1.1");
  EXPECT_EQ(f.transport->Sent()[0].address, "10.77.0.1");
}

TEST(EngineReport, TextsAreRepairedAndLengthsCapped) {
  EngineFixture f;
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.1");
  std::vector<uint8_t> report = Report(kMacA, "10.77.1.1");
  // A name whose last character the device cut in half, and an SSID length
  // byte beyond its area.
  const std::string cut = "caf\xC3";
  std::memcpy(report.data() + 16 + 30, cut.data(), cut.size());
  report[16 + 62] = static_cast<uint8_t>(cut.size());
  report[16 + 163] = 200;
  ASSERT_TRUE(f.Feed(EngineSocket::kReply, report, "10.77.1.1"));
  ap_info_stu stored{};
  ASSERT_TRUE(f.store.GetDevice(kMacA, stored));
  EXPECT_EQ(std::string(stored.ap_name, stored.ap_name_len), "caf");
  EXPECT_LE(stored.ssid_len, 32);
}

TEST(EngineKeepalive, KnownDeviceIsAnsweredAndItsRowFollows) {
  EngineFixture f;
  EXPECT_TRUE(f.Feed(EngineSocket::kKeepalive, Keepalive(kMacA, 5), "10.77.1.1"));
  EXPECT_TRUE(f.transport->Sent().empty());  // no entry, no answer

  f.Report(kMacA, "10.77.1.1");
  f.transport->ClearSent();
  ASSERT_TRUE(f.Feed(EngineSocket::kKeepalive, Keepalive(kMacA, 86400), "10.77.1.7"));
  EXPECT_EQ(SentTypes(*f.transport), std::vector<uint16_t>{kMsgKeepalive});
  EXPECT_EQ(f.Entry(kMacA)->ip, "10.77.1.7");
  EXPECT_EQ(f.Entry(kMacA)->up_time, 86400u);
  ap_info_stu stored{};
  ASSERT_TRUE(f.store.GetDevice(kMacA, stored));
  EXPECT_EQ(stored.up_time, 86400u);
  EXPECT_EQ(IpText(stored.ip), "10.77.1.7");
}

TEST(EngineAgeing, SilentReportedDeviceLeavesAtTheFourthPassAnnouncedNever) {
  EngineFixture f;
  f.Report(kMacA, "10.77.1.1");
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacB), "10.77.1.2");
  for (int pass = 1; pass <= 3; ++pass) {
    f.engine->RunAgeingPass();
    EXPECT_TRUE(f.Entry(kMacA)) << "pass " << pass;
  }
  f.engine->RunAgeingPass();
  EXPECT_FALSE(f.Entry(kMacA));
  EXPECT_TRUE(f.StoredMacs().empty());
  for (int pass = 0; pass < 10; ++pass) f.engine->RunAgeingPass();
  EXPECT_TRUE(f.Entry(kMacB));
}

TEST(EngineAgeing, KeepalivesAndAnnouncementsRestoreTheAge) {
  EngineFixture f;
  f.Report(kMacA, "10.77.1.1");
  for (int round = 0; round < 5; ++round) {
    f.engine->RunAgeingPass();
    f.engine->RunAgeingPass();
    f.engine->RunAgeingPass();
    if (round % 2 == 0) {
      f.Feed(EngineSocket::kKeepalive, Keepalive(kMacA, 10), "10.77.1.1");
    } else {
      f.Feed(EngineSocket::kAnnounce, Announcement(kMacA), "10.77.1.1");
    }
  }
  EXPECT_TRUE(f.Entry(kMacA));
  EXPECT_EQ(f.StoredMacs(), std::vector<std::string>{kMacA});
}

TEST(EngineOnlineList, StatusPageOperations) {
  EngineFixture f;
  f.Report(kMacA, "10.77.1.1");
  AnnouncementFields fields;
  fields.version = "V9.9";
  f.Feed(EngineSocket::kAnnounce, Announcement(kMacB, 3, fields), "10.77.1.2");

  auto announced = f.engine->CopyAnnounced();
  ASSERT_EQ(announced.size(), 1u);
  EXPECT_STREQ(announced[0].mac, kMacB.c_str());
  EXPECT_EQ(announced[0].ap_status, kStatusAnnounced);
  EXPECT_EQ(announced[0].ap_type, 3);
  EXPECT_EQ(IpText(announced[0].ip), "10.77.1.2");
  EXPECT_EQ(std::string(announced[0].version, announced[0].version_len), "V9.9");
  EXPECT_EQ(std::string(announced[0].ap_name, announced[0].ap_name_len), "roof");
  EXPECT_EQ(f.engine->CopyAnnounced("9.9").size(), 1u);
  EXPECT_EQ(f.engine->CopyAnnounced("44:0b").size(), 1u);
  EXPECT_EQ(f.engine->CopyAnnounced("10.77.1.2").size(), 1u);
  EXPECT_TRUE(f.engine->CopyAnnounced("44:0a").empty());  // reported devices are stored rows

  f.transport->ClearSent();
  f.engine->ReleaseAnnounced();
  auto sent = f.transport->Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Header().type, kMsgRelease);
  EXPECT_EQ(sent[0].Mac(), kMacB);

  f.engine->DropAnnounced();
  EXPECT_FALSE(f.Entry(kMacB));
  EXPECT_TRUE(f.Entry(kMacA));

  // A row whose device left the online list goes with the purge.
  ap_info_stu orphan{};
  std::strcpy(orphan.mac, "00:11:22:33:44:0c");
  ASSERT_TRUE(f.store.UpsertDevice(orphan));
  f.engine->PurgeStale();
  EXPECT_EQ(f.StoredMacs(), std::vector<std::string>{kMacA});
}

TEST(EngineSend, RetransmissionRulesAndFailures) {
  EngineFixture f;
  const std::vector<uint8_t> payload(22, 1);
  for (uint16_t type : {kMsgDiscover, kMsgSiteSurvey, kMsgKeepalive, kMsgRelease}) {
    EXPECT_TRUE(f.engine->SendToDevice("10.77.1.1", type, {}, kMacA, true));
  }
  EXPECT_TRUE(f.engine->PendingCommands().empty());
  EXPECT_TRUE(f.engine->SendToDevice("10.77.1.1", kMsgSetIp, payload, kMacA, true));
  EXPECT_TRUE(f.engine->SendToDevice("10.77.1.1", kMsgSetIp, payload, kMacA, true));
  ASSERT_EQ(f.engine->PendingCommands().size(), 2u);  // no duplicate check
  EXPECT_EQ(f.engine->PendingCommands()[0].payload, payload);
  EXPECT_EQ(f.transport->Sent().back().bytes.size(), kDatagramHeaderSize + 22);

  // Outside every local subnet, too long, or a failed send: false, nothing pending.
  EXPECT_FALSE(f.engine->SendToDevice("192.168.1.20", kMsgReboot, {}, kMacA, true));
  EXPECT_FALSE(f.engine->SendToDevice("10.77.1.1", kMsgReboot, std::vector<uint8_t>(1457), kMacA, true));
  f.transport->FailSends(true);
  EXPECT_FALSE(f.engine->SendToDevice("10.77.1.1", kMsgReboot, {}, kMacA, true));
  EXPECT_EQ(f.engine->PendingCommands().size(), 2u);
}

TEST(EngineSend, AcknowledgementMatchesAddressMacAndType) {
  EngineFixture f;
  f.engine->SendToDevice("10.77.1.1", kMsgReboot, {}, kMacA, true);
  f.engine->SendToDevice("10.77.1.1", kMsgReboot, {}, kMacA, true);
  f.engine->SendToDevice("10.77.1.1", kMsgSetName, std::vector<uint8_t>(33), kMacA, true);
  // Wrong source address, wrong MAC, wrong type: nothing removed.
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgReboot, kMacA, {0}), "10.77.1.2");
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgReboot, kMacB, {0}), "10.77.1.1");
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgSetVlan, kMacA, {0}), "10.77.1.1");
  EXPECT_EQ(f.engine->PendingCommands().size(), 3u);
  // One acknowledgement removes the older of two equal commands only.
  f.Feed(EngineSocket::kReply, DeviceDatagram(kMsgReboot, kMacA, {0}), "10.77.1.1");
  const auto pending = f.engine->PendingCommands();
  ASSERT_EQ(pending.size(), 2u);
  EXPECT_EQ(pending[0].type, kMsgReboot);
  EXPECT_EQ(pending[1].type, kMsgSetName);
}

TEST(EngineSearch, OneBroadcastPerSubnetElseTheLimitedBroadcast) {
  EngineFixture f({{"eth0", {{"10.77.0.1", "255.255.0.0"}, {"10.77.9.9", "255.255.0.0"}}},
                   {"eth1", {{"192.168.5.2", "255.255.255.0"}, {"0.0.0.0", "0.0.0.0"}}}});
  ASSERT_TRUE(f.engine->SearchDevices());
  auto sent = f.transport->Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_TRUE(sent[0].search);
  EXPECT_EQ(sent[0].address, "10.77.255.255");
  EXPECT_EQ(sent[1].address, "192.168.5.255");
  const DatagramHeader header = sent[0].Header();
  EXPECT_EQ(header.type, kMsgDiscover);
  EXPECT_EQ(header.addressed, 0);
  EXPECT_EQ(header.mac, (std::array<uint8_t, 6>{}));
  EXPECT_EQ(sent[0].bytes.size(), kDatagramHeaderSize);

  f.transport->ClearSent();
  f.adapterSource->Set({});
  ASSERT_TRUE(f.engine->SearchDevices());
  sent = f.transport->Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].address, "255.255.255.255");
}

}  // namespace
