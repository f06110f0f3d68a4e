#include "sim/simulator.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/datagram.h"
#include "sim/outbox.h"
#include "sim/population.h"

namespace {

using namespace std::chrono_literals;

struct Sent {
  std::string from;
  std::string to;
  uint16_t port;
  uint16_t type;
  std::string mac;
  std::vector<uint8_t> datagram;
};

class RecordingOutbox : public Outbox {
 public:
  void Send(const Ipv4& from, const sockaddr_in& to, std::span<const uint8_t> datagram) override {
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &to.sin_addr, text, sizeof text);
    MacAddress mac;
    std::memcpy(mac.data(), datagram.data() + 8, 6);
    sent.push_back({Ipv4Text(from), text, ntohs(to.sin_port),
                    static_cast<uint16_t>(datagram[4] | (datagram[5] << 8)), MacAddressText(mac),
                    {datagram.begin(), datagram.end()}});
  }
  std::vector<Sent> sent;
};

sockaddr_in Peer(const char* ip, uint16_t port) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  inet_pton(AF_INET, ip, &peer.sin_addr);
  return peer;
}

std::vector<uint8_t> Command(uint16_t type, const MacAddress& mac) {
  std::vector<uint8_t> datagram(kDatagramHeaderSize, 0);
  datagram[0] = 0x86;
  datagram[1] = 0x19;
  datagram[4] = static_cast<uint8_t>(type);
  datagram[6] = 1;
  std::memcpy(datagram.data() + 8, mac.data(), 6);
  return datagram;
}

const Ipv4 kGroup{239, 255, 255, 250};

class SimulatorTest : public ::testing::Test {
 protected:
  SimulatorTest() {
    PopulationPlan plan;
    plan.count = 3;
    auto devices = GeneratePopulation(plan);
    // A device on another subnet, behind the program's second adapter.
    devices[2].settings.ip[1] = 78;
    options.keepalivePeriod = 10s;
    sim = std::make_unique<Simulator>(devices, options, outbox, start);
  }
  const MacAddress& Mac(std::size_t i) const { return sim->Devices()[i].mac; }
  void Send(uint16_t type, std::size_t device, SimClock::time_point at) {
    sim->OnCommand(Command(type, Mac(device)), pc, kGroup, at);
  }
  std::string Ask(const std::string& line) {
    bool quit = false;
    return sim->Control(line, quit);
  }

  SimClock::time_point start = SimClock::now();
  SimulatorOptions options;
  RecordingOutbox outbox;
  std::unique_ptr<Simulator> sim;
  sockaddr_in pc = Peer("10.77.0.1", 9787);
};

TEST_F(SimulatorTest, DevicesOfTheSearchersSubnetAnnounceFromTheirOwnAddress) {
  sim->OnSearch(Peer("10.77.0.1", 9786), start);
  ASSERT_EQ(outbox.sent.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(outbox.sent[i].from, Ipv4Text(DeviceIp(sim->Devices()[i])));
    EXPECT_EQ(outbox.sent[i].to, "10.77.0.1");
    EXPECT_EQ(outbox.sent[i].port, kAnnouncePort);
    EXPECT_EQ(outbox.sent[i].type, kMsgDiscover);
    EXPECT_EQ(outbox.sent[i].datagram.size(), 16u + 112u);
  }
  outbox.sent.clear();
  sim->OnSearch(Peer("10.78.0.1", 9786), start);
  ASSERT_EQ(outbox.sent.size(), 1u);
  EXPECT_EQ(outbox.sent[0].mac, MacAddressText(Mac(2)));
}

TEST_F(SimulatorTest, InfoRequestIsAnsweredWithTheFullReportAndStartsKeepalives) {
  Send(kMsgDeviceInfo, 1, start + 5s);
  ASSERT_EQ(outbox.sent.size(), 1u);
  EXPECT_EQ(outbox.sent[0].type, kMsgDeviceInfo);
  EXPECT_EQ(outbox.sent[0].port, kReplyPort);
  EXPECT_EQ(outbox.sent[0].to, "10.77.0.1");
  ASSERT_EQ(outbox.sent[0].datagram.size(), 16u + 756u);
  const auto& report = outbox.sent[0].datagram;
  EXPECT_EQ(report[2] | (report[3] << 8), sim->Devices()[1].settings.ap_type);
  const uint32_t upTime = report[16 + 4] | (report[16 + 5] << 8) | (report[16 + 6] << 16) |
                          (uint32_t{report[16 + 7]} << 24);
  EXPECT_EQ(upTime, sim->Devices()[1].upTimeAtStart + 5);

  outbox.sent.clear();
  sim->Tick(start + 14s);
  EXPECT_TRUE(outbox.sent.empty());
  sim->Tick(start + 15s);
  ASSERT_EQ(outbox.sent.size(), 1u);
  EXPECT_EQ(outbox.sent[0].type, kMsgKeepalive);
  EXPECT_EQ(outbox.sent[0].port, kKeepalivePort);
  EXPECT_EQ(outbox.sent[0].mac, MacAddressText(Mac(1)));
  // A stalled loop sends one keepalive, not the backlog.
  outbox.sent.clear();
  sim->Tick(start + 60s);
  EXPECT_EQ(outbox.sent.size(), 1u);

  Send(kMsgRelease, 1, start + 61s);
  outbox.sent.clear();
  sim->Tick(start + 200s);
  EXPECT_TRUE(outbox.sent.empty());
  const SimDevice& device = sim->Devices()[1];
  EXPECT_EQ(Ask("show " + MacAddressText(Mac(1))),
            "device " + MacAddressText(Mac(1)) + " ip=10.77.1.2 found=0 silent=0 " +
                "transparent_bridge=" + std::to_string(device.settings.bridge_transparent) +
                " tdma=" + std::to_string(device.settings.tdmaEn) + " device_info=1 release=1");
}

TEST_F(SimulatorTest, DiscoverAnswerAloneMakesTheDeviceFound) {
  Send(kMsgDiscover, 0, start);
  EXPECT_TRUE(outbox.sent.empty());
  sim->Tick(start + 10s);
  ASSERT_EQ(outbox.sent.size(), 1u);
  EXPECT_EQ(outbox.sent[0].type, kMsgKeepalive);
}

TEST_F(SimulatorTest, SilentDevicesAndUnknownTargetsGetNoAnswer) {
  EXPECT_EQ(Ask("silent " + MacAddressText(Mac(0))), "ok");
  sim->OnSearch(Peer("10.77.0.1", 9786), start);
  Send(kMsgDeviceInfo, 0, start);
  ASSERT_EQ(outbox.sent.size(), 1u);  // only device 1 announced
  EXPECT_EQ(outbox.sent[0].mac, MacAddressText(Mac(1)));

  outbox.sent.clear();
  sim->OnCommand(Command(kMsgDeviceInfo, MacAddress{9, 9, 9, 9, 9, 9}), pc, kGroup, start);
  EXPECT_TRUE(outbox.sent.empty());
  // Sent to a device's own address, a datagram reaches it whatever MAC it names.
  sim->OnCommand(Command(kMsgDeviceInfo, MacAddress{}), pc, DeviceIp(sim->Devices()[1]), start);
  ASSERT_EQ(outbox.sent.size(), 1u);
  EXPECT_EQ(outbox.sent[0].mac, MacAddressText(Mac(1)));

  outbox.sent.clear();
  EXPECT_EQ(Ask("speak all"), "ok");
  EXPECT_EQ(Ask("drop 1"), "ok");
  sim->OnSearch(Peer("10.77.0.1", 9786), start);
  Send(kMsgDeviceInfo, 0, start);
  EXPECT_TRUE(outbox.sent.empty());
}

TEST_F(SimulatorTest, ControlMovesAndClaimsAddresses) {
  const std::string mac = MacAddressText(Mac(0));
  EXPECT_EQ(Ask("move " + mac + " 10.77.9.9"), "ok");
  EXPECT_EQ(Ask("claim " + mac + " 10.77.1.2"), "ok");
  EXPECT_EQ(Ask("short " + mac + " 1"), "ok");
  sim->OnSearch(Peer("10.77.0.1", 9786), start);
  ASSERT_EQ(outbox.sent.size(), 2u);
  EXPECT_EQ(outbox.sent[0].from, "10.77.9.9");
  EXPECT_EQ(outbox.sent[0].datagram.size(), 16u + 33u);
  outbox.sent.clear();
  Send(kMsgDeviceInfo, 0, start);
  ASSERT_EQ(outbox.sent.size(), 1u);
  EXPECT_EQ(outbox.sent[0].from, "10.77.9.9");
  const auto& report = outbox.sent[0].datagram;
  EXPECT_EQ(Ipv4Text({report[25], report[26], report[27], report[28]}), "10.77.1.2");

  for (const char* bad : {"move all 10.77.1.1", "claim " "02:01:00:00:00:00" " x", "fly all",
                          "silent 01:02:03:04:05:06", "drop 2", ""}) {
    EXPECT_EQ(Ask(bad).rfind("error", 0), 0u) << bad;
  }
  bool quit = false;
  EXPECT_EQ(sim->Control("quit", quit), "ok");
  EXPECT_TRUE(quit);
}

TEST_F(SimulatorTest, TruncatedOrForeignDatagramsAreIgnored) {
  auto command = Command(kMsgDeviceInfo, Mac(0));
  sim->OnCommand(std::span(command).first(15), pc, kGroup, start);
  command[0] = 0;
  sim->OnCommand(command, pc, kGroup, start);
  EXPECT_TRUE(outbox.sent.empty());
  EXPECT_EQ(sim->Stats().commands, 0u);
}

}  // namespace

namespace {

TEST(SimulatorSpread, AnswersArriveWithinTheSpreadAndNotFromSilencedDevices) {
  PopulationPlan plan;
  plan.count = 50;
  SimulatorOptions options;
  options.answerSpread = std::chrono::milliseconds(100);
  RecordingOutbox outbox;
  const auto start = SimClock::now();
  Simulator sim(GeneratePopulation(plan), options, outbox, start);
  sim.OnSearch(Peer("10.77.0.1", 9786), start);
  EXPECT_TRUE(outbox.sent.empty());
  EXPECT_TRUE(sim.HasScheduled());
  sim.Tick(start + std::chrono::milliseconds(50));
  const std::size_t early = outbox.sent.size();
  EXPECT_GT(early, 0u);
  EXPECT_LT(early, 50u);
  bool quit = false;
  EXPECT_EQ(sim.Control("silent all", quit), "ok");
  sim.Tick(start + std::chrono::milliseconds(100));
  EXPECT_EQ(outbox.sent.size(), early);
  EXPECT_FALSE(sim.HasScheduled());
}

}  // namespace
