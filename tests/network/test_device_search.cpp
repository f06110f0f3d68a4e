#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <thread>

#include "network_fixture.h"
#include "protocol/datagram.h"
#include "protocol/host_nics_library.h"

namespace {

using namespace std::chrono_literals;

// What the store gives back for a device that reported `device`: every field
// with a column, the bridge peer fields and the areas without a column zero.
ap_info_stu ExpectedStored(const SimDevice& device, uint32_t storedUpTime) {
  ap_info_stu expected = device.settings;
  expected.ap_status = 1;
  expected.up_time = storedUpTime;
  expected.restart_flag = 0;
  std::memset(expected.unnamed_26, 0, sizeof expected.unnamed_26);
  std::memset(expected.unnamed_135, 0, sizeof expected.unnamed_135);
  expected.unnamed_373 = 0;
  expected.unnamed_451 = 0;
  expected.bridge_work_mode = 0;
  std::memset(expected.bridge_mac, 0, sizeof expected.bridge_mac);
  expected.bridge_channel = 0;
  std::memset(expected.bridge_ssid, 0, sizeof expected.bridge_ssid);
  expected.bridge_ssid_len = 0;
  std::memset(expected.bridge_security, 0, sizeof expected.bridge_security);
  expected.unnamed_757 = 0;
  expected.unnamed_764 = 0;
  std::memset(expected.unnamed_774, 0, sizeof expected.unnamed_774);
  return expected;
}

// The first differing offset of two records, or -1.
int FirstDifference(const ap_info_stu& a, const ap_info_stu& b) {
  const auto* x = reinterpret_cast<const uint8_t*>(&a);
  const auto* y = reinterpret_cast<const uint8_t*>(&b);
  for (std::size_t i = 0; i < sizeof(ap_info_stu); ++i) {
    if (x[i] != y[i]) return static_cast<int>(i);
  }
  return -1;
}

std::string MacOf(const SimDevice& device) { return MacAddressText(device.mac); }

long Received(DevsimProcess& devsim, const SimDevice& device, const std::string& type) {
  return ParseNumberFields(devsim.Control("show " + MacOf(device)))[type];
}

TEST_F(NetworkTest, PlainProbeIsAnsweredByEveryDevice) {
  StartDevsim({"--count", "200", "--seed", "3"});
  const int listen = socket(AF_INET, SOCK_DGRAM, 0);
  const int probe = socket(AF_INET, SOCK_DGRAM, 0);
  const int on = 1;
  setsockopt(probe, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  sockaddr_in local{AF_INET, htons(kAnnouncePort), {htonl(INADDR_ANY)}, {}};
  ASSERT_EQ(0, bind(listen, reinterpret_cast<sockaddr*>(&local), sizeof local));
  sockaddr_in broadcast{AF_INET, htons(kSearchPort), {}, {}};
  inet_pton(AF_INET, "10.77.255.255", &broadcast.sin_addr);
  uint8_t search[16] = {0x86, 0x19, 0, 0, kMsgDiscover};
  ASSERT_EQ(16, sendto(probe, search, sizeof search, 0, reinterpret_cast<sockaddr*>(&broadcast),
                       sizeof broadcast));

  PopulationPlan plan;
  plan.seed = 3;
  std::set<std::string> senders;
  timeval wait{1, 0};
  setsockopt(listen, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  uint8_t datagram[2048];
  for (;;) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got = recvfrom(listen, datagram, sizeof datagram, 0,
                                 reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0) break;
    ASSERT_EQ(got, 16 + 112);
    const std::size_t index = datagram[13];  // generated MACs end in the index
    const SimDevice expected = GenerateDevice(plan, index);
    EXPECT_EQ(0, std::memcmp(datagram + 8, expected.mac.data(), 6));
    char ip[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
    EXPECT_EQ(ip, Ipv4Text(DeviceIp(expected)));
    senders.insert(ip);
    if (senders.size() == 200) break;
  }
  EXPECT_EQ(senders.size(), 200u);
  close(listen);
  close(probe);
}

TEST_F(NetworkTest, SearchStoresEveryDeviceWithEveryField) {
  constexpr std::size_t kDevices = 500;
  PopulationPlan plan;
  plan.seed = 5;
  plan.count = kDevices;
  const auto devices = GeneratePopulation(plan);
  StartDevsim({"--count", std::to_string(kDevices), "--seed", "5"});
  const auto started = std::chrono::steady_clock::now();
  StartEngine();
  ASSERT_TRUE(SearchUntilStored(kDevices));
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);

  std::size_t chinese = 0;
  for (const SimDevice& device : devices) {
    ap_info_stu stored{};
    ASSERT_TRUE(Stored(MacOf(device), stored)) << MacOf(device);
    EXPECT_GE(stored.up_time, device.upTimeAtStart);
    EXPECT_LE(stored.up_time, device.upTimeAtStart + elapsed.count() + 2);
    const ap_info_stu expected = ExpectedStored(device, stored.up_time);
    EXPECT_EQ(FirstDifference(expected, stored), -1) << MacOf(device);
    EXPECT_TRUE(IsOnline(MacOf(device), EntryState::kReported));
    if (static_cast<uint8_t>(device.settings.ap_name[0]) >= 0x80) ++chinese;
  }
  EXPECT_GT(chinese, 0u);
}

TEST_F(NetworkTest, AnnouncementAndReportEdgeCases) {
  // Device 0 has no MAC, device 1 announces short, device 2 will move, and
  // device 3 will claim device 2's address.
  const std::string file = WriteDeviceFile(
      "[device]\nmac = 00:00:00:00:00:00\n"
      "[device]\nshort_announcement = 1\nname = 短公告设备\n"
      "[device]\n"
      "[device]\nreported_ip = 10.77.1.3\nsilent = 1\n");
  std::vector<SimDevice> devices;
  std::string error;
  ASSERT_TRUE(LoadPopulationFile(file, PopulationPlan{}, devices, error)) << error;
  ASSERT_EQ(Ipv4Text(DeviceIp(devices[2])), "10.77.1.3");
  StartDevsim({"--file", file});
  StartEngine();
  ASSERT_TRUE(SearchUntilStored(2));

  // The short announcer is stored in full from its report.
  ap_info_stu stored{};
  ASSERT_TRUE(Stored(MacOf(devices[1]), stored));
  EXPECT_EQ(FirstDifference(ExpectedStored(devices[1], stored.up_time), stored), -1);
  // The device without a MAC got no answer and no entry.
  EXPECT_FALSE(IsOnline("00:00:00:00:00:00", EntryState::kAnnounced));
  EXPECT_EQ(ParseNumberFields(devsim_->Control("show 00:00:00:00:00:00"))["found"], 0);

  // Announcing again at the same address: discover answer only.
  const long discovers = Received(*devsim_, devices[2], "discover");
  const long requests = Received(*devsim_, devices[2], "device_info");
  engine_->SearchDevices();
  ASSERT_TRUE(WaitUntil([&] { return Received(*devsim_, devices[2], "discover") > discovers; }));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Received(*devsim_, devices[2], "device_info"), requests);

  // At a new address: a new info request, and the row follows the device.
  EXPECT_EQ(devsim_->Control("move " + MacOf(devices[2]) + " 10.77.9.9"), "ok");
  engine_->SearchDevices();
  ASSERT_TRUE(WaitUntil([&] {
    return Stored(MacOf(devices[2]), stored) && Ipv4Text({stored.ip[0], stored.ip[1],
                                                                     stored.ip[2], stored.ip[3]}) ==
                                                               "10.77.9.9";
  }));
  EXPECT_EQ(Received(*devsim_, devices[2], "device_info"), requests + 1);

  // A report naming an address another reported device holds is not stored.
  EXPECT_EQ(devsim_->Control("move " + MacOf(devices[2]) + " 10.77.1.3"), "ok");
  engine_->SearchDevices();
  ASSERT_TRUE(WaitUntil([&] {
    return Stored(MacOf(devices[2]), stored) && stored.ip[3] == 3 && stored.ip[2] == 1;
  }));
  EXPECT_EQ(devsim_->Control("speak " + MacOf(devices[3])), "ok");
  engine_->SearchDevices();
  ASSERT_TRUE(WaitUntil([&] { return Received(*devsim_, devices[3], "device_info") > 0; }));
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(Stored(MacOf(devices[3]), stored));
  EXPECT_TRUE(IsOnline(MacOf(devices[3]), EntryState::kAnnounced));
  EXPECT_TRUE(IsOnline(MacOf(devices[2]), EntryState::kReported));
}

TEST_F(NetworkTest, KeepalivesKeepADeviceAndSilenceRemovesIt) {
  PopulationPlan plan;
  plan.count = 2;
  const auto devices = GeneratePopulation(plan);
  StartDevsim({"--count", "2", "--keepalive", "0.05"});
  EngineOptions options;
  options.ageing_period = std::chrono::milliseconds(100);
  StartEngine(std::move(options));
  ASSERT_TRUE(SearchUntilStored(2));
  // Ten ageing passes: without keepalives both would have gone.
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(StoredCount(), 2u);
  EXPECT_GT(devsim_->Stats()["keepalives"], 20);

  EXPECT_EQ(devsim_->Control("silent " + MacOf(devices[1])), "ok");
  ASSERT_TRUE(WaitUntil([&] { return StoredCount() == 1; }, 3s));
  ap_info_stu stored{};
  EXPECT_TRUE(Stored(MacOf(devices[0]), stored));
  EXPECT_FALSE(IsOnline(MacOf(devices[1]), EntryState::kReported));
  EXPECT_TRUE(IsOnline(MacOf(devices[0]), EntryState::kReported));
}

TEST_F(NetworkTest, StopReleasesEveryOnlineDevice) {
  StartDevsim({"--count", "50", "--keepalive", "0.2"});
  StartEngine();
  ASSERT_TRUE(SearchUntilStored(50));
  engine_->Stop();
  ASSERT_TRUE(WaitUntil([&] { return devsim_->Stats()["releases"] == 50; }, 3s))
      << devsim_->Control("stats");
  // Released devices fall silent.
  const long keepalives = devsim_->Stats()["keepalives"];
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(devsim_->Stats()["keepalives"], keepalives);
  EXPECT_EQ(devsim_->Stats()["found"], 0);
}

TEST_F(NetworkTest, LostRequestsAreRetransmitted) {
  StartDevsim({"--count", "100", "--drop", "0.5"});
  StartEngine({}, 50, 8);
  // Half the searches go unanswered too, so search more often than the page.
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (StoredCount() < 100 && std::chrono::steady_clock::now() < deadline) {
    engine_->SearchDevices();
    WaitUntil([&] { return StoredCount() >= 100; }, 500ms);
  }
  ASSERT_EQ(StoredCount(), 100u) << devsim_->Control("stats");
  EXPECT_GT(devsim_->Stats()["dropped"], 50);
}

TEST_F(NetworkTest, WithoutTheLibraryNoDeviceIsReachable) {
  StartDevsim({"--count", "10"});
  EngineOptions options;
  options.adapters =
      std::make_unique<CHostNicsLibrary>(std::vector<std::string>{"/nonexistent/libHostNics.so"});
  StartEngine(std::move(options));
  engine_->SearchDevices();
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(engine_->AdapterAddresses().empty());
  EXPECT_EQ(StoredCount(), 0u);
  EXPECT_EQ(devsim_->Stats()["commands"], 0);
  EXPECT_FALSE(engine_->SendToDevice("10.77.1.1", kMsgDeviceInfo, {}, "02:01:00:00:00:00", true));
}

class TwoAdapterTest : public NetworkTest {
 protected:
  std::vector<std::string> Subnets() const override { return {"10.77", "10.78"}; }
};

TEST_F(TwoAdapterTest, EachSubnetIsReachedThroughItsAdapterUntilTheAddressGoes) {
  const std::string file = WriteDeviceFile(
      "[device]\n[device]\n[device]\nip = 10.78.1.1\n[device]\nip = 10.78.1.2\nmask = 255.255.0.0\n");
  std::vector<SimDevice> devices;
  std::string error;
  ASSERT_TRUE(LoadPopulationFile(file, PopulationPlan{}, devices, error)) << error;
  StartDevsim({"--file", file, "--log"});
  StartEngine();
  ASSERT_TRUE(SearchUntilStored(4));
  const std::vector<std::string> log = devsim_->TakeLog();
  EXPECT_GE(log.size(), 8u);  // a discover answer and an info request each
  for (const std::string& line : log) {
    const bool second = line.find(MacOf(devices[2])) != std::string::npos ||
                        line.find(MacOf(devices[3])) != std::string::npos;
    EXPECT_NE(line.find(second ? "from 10.78.0.1" : "from 10.77.0.1"), std::string::npos) << line;
  }

  ASSERT_TRUE(network_->RunOnProgramSide("ip addr del 10.78.0.1/16 dev " +
                                         network_->ProgramInterface(1)));
  engine_->SearchDevices();
  for (const AdapterAddress& address : engine_->AdapterAddresses()) {
    EXPECT_NE(address.ip, "10.78.0.1");
  }
  EXPECT_FALSE(engine_->SendToDevice("10.78.1.1", kMsgDeviceInfo, {}, MacOf(devices[2]), false));
  EXPECT_TRUE(engine_->SendToDevice("10.77.1.1", kMsgDeviceInfo, {}, MacOf(devices[0]), false));
}

}  // namespace
