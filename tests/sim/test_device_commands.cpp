// The configuration and control commands as the simulated devices carry them
// out: the answer datagram each sends, and what its next report says.

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "protocol/datagram.h"
#include "sim/device_commands.h"
#include "sim/outbox.h"
#include "sim/population.h"
#include "sim/simulator.h"
#include "store/scan_entry.h"

namespace {

using namespace std::chrono_literals;

struct Sent {
  std::string from;
  std::string to;
  uint16_t port;
  uint16_t type;
  std::vector<uint8_t> payload;
};

class RecordingOutbox : public Outbox {
 public:
  void Send(const Ipv4& from, const sockaddr_in& to, std::span<const uint8_t> datagram) override {
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &to.sin_addr, text, sizeof text);
    sent.push_back({Ipv4Text(from),
                    text,
                    ntohs(to.sin_port),
                    static_cast<uint16_t>(datagram[4] | (datagram[5] << 8)),
                    {datagram.begin() + kDatagramHeaderSize, datagram.end()}});
  }
  std::vector<Sent> TakeSent() { return std::exchange(sent, {}); }
  std::vector<Sent> sent;
};

struct FetchCall {
  std::size_t device;
  std::string from;
  std::string server;
  uint16_t port;
  std::string file;
  uint64_t maxBytes;
};

class FakeFetcher : public FirmwareFetcher {
 public:
  void Fetch(std::size_t device, const Ipv4& from, const sockaddr_in& server,
             const std::string& file, uint64_t maxBytes) override {
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &server.sin_addr, text, sizeof text);
    calls.push_back({device, Ipv4Text(from), text, ntohs(server.sin_port), file, maxBytes});
  }
  void Cancel(std::size_t device) override { cancelled.push_back(device); }
  std::vector<FetchCall> calls;
  std::vector<std::size_t> cancelled;
};

sockaddr_in Peer(const char* ip, uint16_t port) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  inet_pton(AF_INET, ip, &peer.sin_addr);
  return peer;
}

std::vector<uint8_t> Command(uint16_t type, const MacAddress& mac,
                             const std::vector<uint8_t>& payload = {}) {
  std::vector<uint8_t> datagram(kDatagramHeaderSize + payload.size(), 0);
  datagram[0] = 0x86;
  datagram[1] = 0x19;
  datagram[4] = static_cast<uint8_t>(type);
  datagram[6] = 1;
  std::memcpy(datagram.data() + 8, mac.data(), 6);
  datagram[14] = static_cast<uint8_t>(payload.size());
  datagram[15] = static_cast<uint8_t>(payload.size() >> 8);
  std::copy(payload.begin(), payload.end(), datagram.begin() + kDatagramHeaderSize);
  return datagram;
}

// Record bytes from a report payload (which starts at record offset 24).
std::vector<uint8_t> RecordBytes(const std::vector<uint8_t>& report, std::size_t offset,
                                 std::size_t size) {
  return {report.begin() + (offset - 24), report.begin() + (offset - 24 + size)};
}

uint32_t U32(const uint8_t* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (uint32_t{at[3]} << 24);
}

std::vector<uint8_t> Pattern(std::size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

std::vector<uint8_t> IpBlock(Ipv4 ip, uint8_t restart) {
  std::vector<uint8_t> block = {1, ip[0], ip[1], ip[2], ip[3], 255, 255, 0, 0, 10, 77,
                                0, 254,   8,     8,     8,     8,   1,   1, 1, 1,  restart};
  return block;
}

const Ipv4 kGroup{239, 255, 255, 250};

class DeviceCommandsTest : public ::testing::Test {
 protected:
  DeviceCommandsTest() {
    PopulationPlan plan;
    plan.count = 3;
    auto devices = GeneratePopulation(plan);
    devices[1].settings.ap_type = 10;
    devices[2].factoryIp = Ipv4{10, 77, 200, 1};
    options.keepalivePeriod = 0s;
    options.restartTime = 3s;
    options.upgradeTime = 5s;
    sim = std::make_unique<Simulator>(devices, options, outbox, start, &fetcher);
  }
  const SimDevice& Device(std::size_t i) const { return sim->Devices()[i]; }
  std::string Ip(std::size_t i) const { return Ipv4Text(DeviceIp(Device(i))); }
  void Send(uint16_t type, std::size_t device, const std::vector<uint8_t>& payload = {},
            SimClock::duration at = 0s) {
    sim->OnCommand(Command(type, Device(device).mac, payload), pc, kGroup, start + at);
  }
  // The device's full report, as the program would ask for it now.
  std::vector<uint8_t> Report(std::size_t device, SimClock::duration at = 0s) {
    outbox.sent.clear();
    Send(kMsgDeviceInfo, device, {}, at);
    if (outbox.sent.size() != 1) return {};
    return outbox.TakeSent()[0].payload;
  }
  std::string Ask(const std::string& line) {
    bool quit = false;
    return sim->Control(line, quit);
  }
  // The single answer sent, checked to come from `from` to the program's port 9788.
  Sent OnlyAnswer(const std::string& from, uint16_t type) {
    const auto sent = outbox.TakeSent();
    EXPECT_EQ(sent.size(), 1u);
    if (sent.empty()) return {};
    EXPECT_EQ(sent[0].from, from);
    EXPECT_EQ(sent[0].to, "10.77.0.1");
    EXPECT_EQ(sent[0].port, kReplyPort);
    EXPECT_EQ(sent[0].type, type);
    return sent[0];
  }

  SimClock::time_point start = SimClock::now();
  SimulatorOptions options;
  RecordingOutbox outbox;
  FakeFetcher fetcher;
  std::unique_ptr<Simulator> sim;
  sockaddr_in pc = Peer("10.77.0.1", 9787);
};

TEST_F(DeviceCommandsTest, EchoedCommandsReachTheNextReport) {
  struct Case {
    uint16_t type;
    std::vector<uint8_t> payload;
    std::size_t recordOffset;  // where the report shows the change
    std::vector<uint8_t> expectInRecord;
  };
  std::vector<uint8_t> name(33, 0);
  const std::string chinese = "塔楼-北";
  std::memcpy(name.data(), chinese.data(), chinese.size());
  name[32] = static_cast<uint8_t>(chinese.size());
  const auto wireless = Pattern(328, 3);
  std::vector<uint8_t> transparentOn(12, 0);
  transparentOn[0] = 1;
  std::vector<uint8_t> tdmaOn(12, 0);
  tdmaOn[1] = 1;
  const std::vector<Case> cases = {
      {kMsgSetName, name, 54, name},
      {kMsgSetWireless, wireless, 124, wireless},
      {kMsgSetRebootSchedule, {1, 2, 0x2c, 0x01}, 120, {1, 2, 0x2c, 0x01}},
      {kMsgSetTransparentBridge, transparentOn, 766, {1}},
      {kMsgSetTdma, tdmaOn, 767, {1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Send(c.type, 0, c.payload);
    EXPECT_EQ(OnlyAnswer(Ip(0), c.type).payload, c.payload);
    EXPECT_EQ(RecordBytes(Report(0), c.recordOffset, c.expectInRecord.size()), c.expectInRecord);
  }
  // Switching off again, and the announcement carries the switches and the name.
  Send(kMsgSetTdma, 0, std::vector<uint8_t>(12, 0));
  outbox.sent.clear();
  sim->OnSearch(Peer("10.77.0.1", 9786), start);
  const auto announcement = outbox.TakeSent()[0].payload;
  EXPECT_EQ(announcement[107], 1);
  EXPECT_EQ(announcement[108], 0);
  EXPECT_EQ(std::string(announcement.begin() + 40, announcement.begin() + 40 + announcement[72]),
            chinese);
  // A payload shorter than the command's is left unanswered and unapplied.
  Send(kMsgSetRebootSchedule, 0, {9, 9});
  EXPECT_TRUE(outbox.sent.empty());
  EXPECT_EQ(RecordBytes(Report(0), 120, 1)[0], 1);
}

TEST_F(DeviceCommandsTest, VlanAnswersWithAResultAndRestartsWhenAsked) {
  auto vlan = Pattern(22, 40);
  vlan[8] = 0;
  const auto before = Report(1);
  Send(kMsgSetVlan, 1, vlan);
  EXPECT_EQ(OnlyAnswer(Ip(1), kMsgSetVlan).payload, std::vector<uint8_t>{0});
  const auto after = Report(1);
  EXPECT_EQ(RecordBytes(after, 756, 8), std::vector<uint8_t>(vlan.begin(), vlan.begin() + 8));
  EXPECT_EQ(RecordBytes(after, 764, 1), RecordBytes(before, 764, 1));  // the restart byte
  // Model 10 takes the long form.
  EXPECT_EQ(RecordBytes(after, 766, 12), std::vector<uint8_t>(vlan.begin() + 10, vlan.end()));
  // Another model takes only the first ten bytes.
  const auto otherBefore = Report(0);
  Send(kMsgSetVlan, 0, vlan);
  outbox.sent.clear();
  EXPECT_EQ(RecordBytes(Report(0), 766, 12), RecordBytes(otherBefore, 766, 12));

  vlan[8] = 1;
  Send(kMsgSetVlan, 1, vlan, 10s);
  EXPECT_EQ(OnlyAnswer(Ip(1), kMsgSetVlan).payload, std::vector<uint8_t>{0});
  EXPECT_TRUE(Report(1, 11s).empty());  // restarting
  sim->Tick(start + 13s);
  const auto back = outbox.TakeSent();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].type, kMsgDiscover);
  EXPECT_EQ(back[0].port, kAnnouncePort);

  Send(kMsgSetVlan, 1, {1, 2, 3}, 14s);
  EXPECT_EQ(OnlyAnswer(Ip(1), kMsgSetVlan).payload, std::vector<uint8_t>{1});
}

TEST_F(DeviceCommandsTest, SetIpIsAnsweredFromTheOldAddressThenTheDeviceMoves) {
  const std::string old = Ip(0);
  const auto block = IpBlock({10, 77, 50, 5}, 0);
  Send(kMsgSetIp, 0, block);
  const auto sent = outbox.TakeSent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].from, old);
  EXPECT_EQ(sent[0].type, kMsgSetIp);
  EXPECT_EQ(sent[0].payload, block);
  EXPECT_EQ(sent[1].from, "10.77.50.5");
  EXPECT_EQ(sent[1].type, kMsgDiscover);
  EXPECT_EQ(sent[1].port, kAnnouncePort);
  const auto report = Report(0);
  EXPECT_EQ(RecordBytes(report, 32, 21), std::vector<uint8_t>(block.begin(), block.end() - 1));
  // Commands sent to the new address reach it.
  outbox.sent.clear();
  sim->OnCommand(Command(kMsgDeviceInfo, MacAddress{}), pc, Ipv4{10, 77, 50, 5}, start);
  EXPECT_EQ(OnlyAnswer("10.77.50.5", kMsgDeviceInfo).type, kMsgDeviceInfo);

  // With the restart byte the device announces itself only once back.
  Send(kMsgSetIp, 0, IpBlock({10, 77, 50, 6}, 1), 20s);
  EXPECT_EQ(OnlyAnswer("10.77.50.5", kMsgSetIp).type, kMsgSetIp);
  sim->Tick(start + 22s);
  EXPECT_TRUE(outbox.sent.empty());
  sim->Tick(start + 23s);
  const auto back = outbox.TakeSent();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].from, "10.77.50.6");

  // An unusable address is echoed but not taken.
  Send(kMsgSetIp, 0, IpBlock({0, 0, 0, 0}, 0), 30s);
  EXPECT_EQ(OnlyAnswer("10.77.50.6", kMsgSetIp).type, kMsgSetIp);
  EXPECT_EQ(Ip(0), "10.77.50.6");
}

TEST_F(DeviceCommandsTest, SetBridgeMakesAStationOfTheGivenAccessPoint) {
  const std::string old = Ip(0);
  auto payload = Pattern(304, 11);
  payload[0] = 1;  // the peer's operation mode
  const uint8_t ap[6] = {0x02, 0xaa, 0xbb, 0xcc, 0xdd, 0xee};
  std::memcpy(payload.data() + 1, ap, 6);
  const auto block = IpBlock({10, 77, 60, 1}, 0);
  payload.insert(payload.end(), block.begin(), block.end());
  Send(kMsgSetBridge, 0, payload);
  auto sent = outbox.TakeSent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].from, old);
  EXPECT_EQ(sent[0].payload, std::vector<uint8_t>{0});
  EXPECT_EQ(sent[1].from, "10.77.60.1");
  const auto report = Report(0);
  EXPECT_EQ(report[0], kStationWorkMode);
  EXPECT_EQ(RecordBytes(report, 452, 304),
            std::vector<uint8_t>(payload.begin(), payload.begin() + 304));
  EXPECT_EQ(RecordBytes(report, 33, 4), (std::vector<uint8_t>{10, 77, 60, 1}));

  EXPECT_EQ(Ask("refuse " + MacAddressText(Device(1).mac) + " set_bridge"), "ok");
  const std::string other = Ip(1);
  Send(kMsgSetBridge, 1, payload);
  EXPECT_EQ(OnlyAnswer(other, kMsgSetBridge).payload, std::vector<uint8_t>{1});
  EXPECT_EQ(Ip(1), other);
  const uint8_t modeBefore = Device(1).settings.work_mode;
  EXPECT_EQ(Report(1)[0], modeBefore);
}

TEST_F(DeviceCommandsTest, RebootGoesQuietAndComesBackWithAFreshUpTime) {
  const uint32_t upBefore = U32(Report(0, 100s).data() + 4);
  EXPECT_EQ(upBefore, Device(0).upTimeAtStart + 100);
  Send(kMsgReboot, 0, {}, 100s);
  EXPECT_EQ(OnlyAnswer(Ip(0), kMsgReboot).payload, std::vector<uint8_t>{0});
  // Quiet while restarting: no report, no announcement.
  EXPECT_TRUE(Report(0, 101s).empty());
  sim->OnSearch(Peer("10.77.0.1", 9786), start + 101s);
  for (const Sent& s : outbox.TakeSent()) EXPECT_NE(s.from, Ip(0));
  sim->Tick(start + 103s);
  const auto back = outbox.TakeSent();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].type, kMsgDiscover);
  EXPECT_EQ(back[0].to, "10.77.0.1");
  EXPECT_EQ(U32(back[0].payload.data() + 36), 0u);
  EXPECT_EQ(U32(Report(0, 110s).data() + 4), 7u);
  // A reboot during the restart is not heard.
  Send(kMsgReboot, 0, {}, 120s);
  outbox.sent.clear();
  EXPECT_EQ(Ask("refuse all reboot"), "ok");
  Send(kMsgReboot, 0, {}, 130s);
  EXPECT_TRUE(outbox.sent.empty());  // still restarting from 120s
  Send(kMsgReboot, 1, {}, 130s);
  EXPECT_EQ(OnlyAnswer(Ip(1), kMsgReboot).payload, std::vector<uint8_t>{1});
  EXPECT_FALSE(Report(1, 131s).empty());  // refused: no restart
}

TEST_F(DeviceCommandsTest, FactoryResetBringsBackTheFactorySettingsAndAddress) {
  const std::vector<uint8_t> original = Report(2);
  std::vector<uint8_t> name(33, 0);
  name[0] = 'x';
  name[32] = 1;
  Send(kMsgSetName, 2, name);
  Send(kMsgSetIp, 2, IpBlock({10, 77, 70, 7}, 0));
  outbox.sent.clear();
  Send(kMsgFactoryReset, 2);
  EXPECT_EQ(OnlyAnswer("10.77.70.7", kMsgFactoryReset).payload, std::vector<uint8_t>{0});
  sim->Tick(start + 3s);
  const auto back = outbox.TakeSent();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].from, "10.77.200.1");
  const auto report = Report(2, 3s);
  EXPECT_EQ(RecordBytes(report, 54, 33), RecordBytes(original, 54, 33));
  EXPECT_EQ(RecordBytes(report, 33, 4), (std::vector<uint8_t>{10, 77, 200, 1}));
}

TEST_F(DeviceCommandsTest, SiteSurveySpreadsTheNeighboursOverPagesOf32) {
  EXPECT_EQ(Ask("neighbours " + MacAddressText(Device(0).mac) + " 70"), "ok");
  Send(kMsgSiteSurvey, 0);
  const auto pages = outbox.TakeSent();
  ASSERT_EQ(pages.size(), 3u);
  std::set<std::vector<uint8_t>> macs;
  const uint8_t counts[] = {32, 32, 6};
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const auto& p = pages[i].payload;
    EXPECT_EQ(pages[i].type, kMsgSiteSurvey);
    EXPECT_EQ(pages[i].port, kReplyPort);
    ASSERT_EQ(p.size(), 3u + 44u * counts[i]);
    EXPECT_EQ(p[0], 3);
    EXPECT_EQ(p[1], i);
    EXPECT_EQ(p[2], counts[i]);
    for (std::size_t e = 0; e < p[2]; ++e) {
      ScanEntry entry;
      std::memcpy(&entry, p.data() + 3 + e * 44, 44);
      macs.insert({entry.mac, entry.mac + 6});
      EXPECT_LE(entry.ssid_len, 32);
      EXPECT_LT(entry.signal, 0);
      // The SSID ends on a character boundary: no lead byte without its continuation.
      const std::string ssid(entry.ssid, entry.ssid_len);
      std::size_t need = 0;
      for (unsigned char c : ssid) {
        if (need > 0) {
          EXPECT_EQ(c & 0xc0, 0x80);
          --need;
        } else if (c >= 0xc0) {
          need = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : 1;
        }
      }
      EXPECT_EQ(need, 0u) << ssid;
    }
  }
  EXPECT_EQ(macs.size(), 70u);
  // The same neighbours the next time; none give one empty last page.
  Send(kMsgSiteSurvey, 0);
  EXPECT_EQ(outbox.TakeSent()[2].payload, pages[2].payload);
  EXPECT_EQ(Ask("neighbours all 0"), "ok");
  Send(kMsgSiteSurvey, 1);
  EXPECT_EQ(OnlyAnswer(Ip(1), kMsgSiteSurvey).payload, (std::vector<uint8_t>{1, 0, 0}));
}

std::vector<uint8_t> UpgradePayload(const std::string& file, uint32_t size) {
  std::vector<uint8_t> payload(268, 0);
  std::memcpy(payload.data(), file.data(), file.size());
  payload[260] = static_cast<uint8_t>(file.size());
  for (int i = 0; i < 4; ++i) payload[264 + i] = static_cast<uint8_t>(size >> (8 * i));
  return payload;
}

TEST_F(DeviceCommandsTest, UpgradeFetchesTheFileAndReportsItsPhases) {
  options.tftpPort = 6969;
  sim = std::make_unique<Simulator>(sim->Devices(), options, outbox, start, &fetcher);
  const auto payload = UpgradePayload("fw-2.1.bin", 123456);
  Send(kMsgUpgrade, 0, payload);
  EXPECT_EQ(OnlyAnswer(Ip(0), kMsgUpgrade).payload, payload);
  ASSERT_EQ(fetcher.calls.size(), 1u);
  EXPECT_EQ(fetcher.calls[0].device, 0u);
  EXPECT_EQ(fetcher.calls[0].from, Ip(0));
  EXPECT_EQ(fetcher.calls[0].server, "10.77.0.1");
  EXPECT_EQ(fetcher.calls[0].port, 6969);
  EXPECT_EQ(fetcher.calls[0].file, "fw-2.1.bin");
  EXPECT_EQ(fetcher.calls[0].maxBytes, 123456u);
  // The program's retransmission while the fetch runs starts nothing new.
  Send(kMsgUpgrade, 0, payload);
  EXPECT_EQ(OnlyAnswer(Ip(0), kMsgUpgrade).type, kMsgUpgrade);
  EXPECT_EQ(fetcher.calls.size(), 1u);

  sim->OnFetchDone(0, true, 123456, start + 2s);
  EXPECT_EQ(OnlyAnswer(Ip(0), kMsgUpgradeStatus).payload, std::vector<uint8_t>{0});
  Send(kMsgUpgradeQuery, 0, {}, 3s);
  EXPECT_TRUE(OnlyAnswer(Ip(0), kMsgUpgradeQuery).payload.empty());
  sim->Tick(start + 6s);
  EXPECT_TRUE(outbox.sent.empty());
  sim->Tick(start + 7s);
  EXPECT_EQ(OnlyAnswer(Ip(0), kMsgUpgradeStatus).payload, std::vector<uint8_t>{2});
  EXPECT_TRUE(Report(0, 8s).empty());  // restarting
  sim->Tick(start + 10s);
  EXPECT_EQ(outbox.TakeSent().size(), 1u);  // back, announcing itself
}

TEST_F(DeviceCommandsTest, UpgradeFailsOnAWrongSizeAMissingFileOrARefusal) {
  Send(kMsgUpgrade, 0, UpgradePayload("fw.bin", 1000));
  outbox.sent.clear();
  sim->OnFetchDone(0, true, 999, start + 1s);
  EXPECT_EQ(OnlyAnswer(Ip(0), kMsgUpgradeStatus).payload, std::vector<uint8_t>{1});
  EXPECT_FALSE(Report(0, 2s).empty());  // stays up

  Send(kMsgUpgrade, 1, UpgradePayload("missing.bin", 1000));
  outbox.sent.clear();
  sim->OnFetchDone(1, false, 0, start + 1s);
  EXPECT_EQ(OnlyAnswer(Ip(1), kMsgUpgradeStatus).payload, std::vector<uint8_t>{1});
  // A late end of a fetch that is no longer running changes nothing.
  sim->OnFetchDone(1, true, 1000, start + 2s);
  EXPECT_TRUE(outbox.sent.empty());

  EXPECT_EQ(Ask("refuse " + MacAddressText(Device(2).mac) + " upgrade"), "ok");
  Send(kMsgUpgrade, 2, UpgradePayload("fw.bin", 1000));
  const auto sent = outbox.TakeSent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, kMsgUpgrade);
  EXPECT_EQ(sent[1].type, kMsgUpgradeStatus);
  EXPECT_EQ(sent[1].payload, std::vector<uint8_t>{1});
  EXPECT_EQ(fetcher.calls.size(), 2u);

  // A reboot during the fetch ends it.
  Send(kMsgUpgrade, 0, UpgradePayload("fw.bin", 1000), 5s);
  Send(kMsgReboot, 0, {}, 6s);
  EXPECT_EQ(fetcher.cancelled, std::vector<std::size_t>{0});
}

TEST_F(DeviceCommandsTest, IgnoredCopiesGoUnansweredUntilTheCountIsSpent) {
  const std::string mac = MacAddressText(Device(0).mac);
  std::vector<uint8_t> name(33, 0);
  EXPECT_EQ(Ask("ignore " + mac + " set_name 2"), "ok");
  Send(kMsgSetName, 0, name);
  Send(kMsgSetName, 0, name);
  EXPECT_TRUE(outbox.sent.empty());
  Send(kMsgSetName, 0, name);
  EXPECT_EQ(OnlyAnswer(Ip(0), kMsgSetName).type, kMsgSetName);

  EXPECT_EQ(Ask("ignore all all"), "ok");
  Send(kMsgReboot, 1);
  Send(kMsgSiteSurvey, 1);
  EXPECT_TRUE(outbox.sent.empty());
  EXPECT_EQ(Ask("answer all 9"), "ok");
  Send(kMsgReboot, 1);
  EXPECT_EQ(OnlyAnswer(Ip(1), kMsgReboot).payload, std::vector<uint8_t>{0});

  for (const char* bad : {"ignore all fly", "refuse all reboot x", "neighbours all -1",
                          "refuse 02:00:00:00:00:99 reboot"}) {
    EXPECT_EQ(Ask(bad).rfind("error", 0), 0u) << bad;
  }
}

}  // namespace
