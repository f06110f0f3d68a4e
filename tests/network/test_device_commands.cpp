// Commands end to end: devicectl (or the engine) in the program's namespace,
// devsim playing the devices, each command answered as a device answers it.

#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <thread>

#include "network_fixture.h"
#include "protocol/command_payloads.h"
#include "protocol/datagram.h"
#include "store/device_text.h"

namespace {

using namespace std::chrono_literals;

struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Count(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// The line of `out` that names `mac`.
std::string LineOf(const std::string& out, const std::string& mac) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(mac)) return line;
  }
  return "";
}

class CommandTest : public NetworkTest {
 protected:
  // Runs devicectl on the program's side with its database in the scratch folder.
  CommandRun Devicectl(const std::string& args) {
    const std::string command =
        "XDG_RUNTIME_DIR='" + scratch_.string() + "' '" DEVICECTL_PATH "' " + args + " >'" +
        (scratch_ / "out").string() + "' 2>'" + (scratch_ / "err").string() + "'";
    CommandRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(scratch_ / "out");
    run.err = ReadFile(scratch_ / "err");
    return run;
  }

  std::vector<SimDevice> Devices(const std::string& file) {
    std::vector<SimDevice> devices;
    std::string error;
    EXPECT_TRUE(LoadPopulationFile(file, PopulationPlan{}, devices, error)) << error;
    return devices;
  }

  long Received(const SimDevice& device, const std::string& type) {
    return ParseNumberFields(devsim_->Control("show " + MacAddressText(device.mac)))[type];
  }

  std::string ShownIp(const SimDevice& device) {
    std::smatch match;
    const std::string shown = devsim_->Control("show " + MacAddressText(device.mac));
    return std::regex_search(shown, match, std::regex(" ip=([0-9.]+)")) ? match[1].str() : "";
  }
};

std::string Mac(const SimDevice& device) { return MacAddressText(device.mac); }

TEST_F(CommandTest, RenameSwitchesAndSurveyAreAnsweredAndShowInTheNextReport) {
  const std::string file = WriteDeviceFile(
      "[device]\nbridge_transparent = 0\ntdma = 0\n[device]\nbridge_transparent = 0\ntdma = 0\n"
      "[device]\nbridge_transparent = 0\ntdma = 0\nneighbours = 70\n");
  const auto devices = Devices(file);
  ASSERT_EQ(devices.size(), 3u);
  StartDevsim({"--file", file});

  CommandRun run = Devicectl("set-name " + Mac(devices[0]) + " '屋顶 east'");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(LineOf(run.out, Mac(devices[0])).find("Online"), std::string::npos) << run.out;
  EXPECT_NE(LineOf(run.out, Mac(devices[0])).find("acknowledged"), std::string::npos) << run.out;

  run = Devicectl("transparent-bridge on " + Mac(devices[0]) + " " + Mac(devices[1]));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(Count(run.out, "acknowledged"), 2) << run.out;
  run = Devicectl("rv-sync on " + Mac(devices[2]));
  EXPECT_EQ(run.status, 0) << run.out << run.err;

  // 70 neighbours come in three pages; the scan completes at the last and
  // every neighbour is listed, strongest first.
  run = Devicectl("survey " + Mac(devices[2]) + " --json");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(Count(run.out, "\"mac\":"), 70) << run.out;
  std::vector<int> signals;
  const std::regex signal("\"signal\":(-?[0-9]+)");
  for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), signal);
       it != std::sregex_iterator(); ++it) {
    signals.push_back(std::stoi((*it)[1]));
  }
  EXPECT_TRUE(std::is_sorted(signals.rbegin(), signals.rend())) << run.out;

  // The next reports carry what the commands set.
  run = Devicectl("search --seconds 2 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"ap_name\":\"屋顶 east\""), std::string::npos) << run.out;
  EXPECT_EQ(Count(run.out, "\"bridge_transparent\":1"), 2) << run.out;
  EXPECT_EQ(Count(run.out, "\"tdmaEn\":1"), 1) << run.out;
}

TEST_F(CommandTest, UnknownAndUnreachableDevicesGetNothing) {
  const std::string file = WriteDeviceFile("[device]\n[device]\nreported_ip = 10.99.1.1\n");
  const auto devices = Devices(file);
  StartDevsim({"--file", file, "--restart-time", "500"});
  const CommandRun run = Devicectl("reboot 02:aa:bb:cc:dd:ee " + Mac(devices[1]) + " " +
                                   Mac(devices[0]) + " --search-seconds 3");
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(LineOf(run.out, "02:aa:bb:cc:dd:ee").find("unknown device, nothing sent"),
            std::string::npos)
      << run.out;
  EXPECT_NE(LineOf(run.out, Mac(devices[1])).find("outside every local subnet, nothing sent"),
            std::string::npos)
      << run.out;
  EXPECT_NE(LineOf(run.out, Mac(devices[0])).find("Restarting"), std::string::npos) << run.out;
  EXPECT_EQ(Received(devices[1], "reboot"), 0);
  EXPECT_EQ(Received(devices[0], "reboot"), 1);
}

TEST_F(CommandTest, RebootAndResetSetTheirStatusARefusalLeavesIt) {
  const std::string file = WriteDeviceFile("[device]\n[device]\nrefuse = reboot\n");
  const auto devices = Devices(file);
  StartDevsim({"--file", file, "--restart-time", "1000"});
  CommandRun run = Devicectl("reboot " + Mac(devices[0]) + " " + Mac(devices[1]));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(LineOf(run.out, Mac(devices[0])).find("Restarting"), std::string::npos) << run.out;
  const std::string refused = LineOf(run.out, Mac(devices[1]));
  EXPECT_NE(refused.find("Online"), std::string::npos) << run.out;
  EXPECT_NE(refused.find("refused"), std::string::npos) << run.out;
  // Retransmission stopped at the answer.
  EXPECT_EQ(Received(devices[1], "reboot"), 1);

  run = Devicectl("reset " + Mac(devices[1]));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(LineOf(run.out, Mac(devices[1])).find("Reseting"), std::string::npos) << run.out;
}

TEST_F(CommandTest, MultiDeviceSetIpWalksTheRangeAndDevicesMove) {
  const std::string file = WriteDeviceFile("[device]\n[device]\n[device]\n[device]\n");
  const auto devices = Devices(file);
  StartDevsim({"--file", file, "--restart-time", "300"});
  const CommandRun run = Devicectl("set-ip " + Mac(devices[0]) + " " + Mac(devices[1]) + " " +
                                   Mac(devices[2]) + " " + Mac(devices[3]) +
                                   " --first 10.77.3.254 --last 10.77.4.2 --mask 255.255.0.0"
                                   " --gateway 10.77.0.1 --dns1 10.77.0.2");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  const std::string expected[] = {"10.77.3.254", "10.77.4.1", "10.77.4.2"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(run.out.find(Mac(devices[i]) + "  now at " + expected[i]), std::string::npos)
        << run.out;
    EXPECT_TRUE(WaitUntil([&] { return ShownIp(devices[i]) == expected[i]; }, 5s))
        << ShownIp(devices[i]);
  }
  // The range ran out before the last device: it keeps its address.
  EXPECT_NE(LineOf(run.out, Mac(devices[3])).find("unchanged"), std::string::npos) << run.out;
  EXPECT_EQ(Received(devices[3], "set_ip"), 0);
  EXPECT_EQ(ShownIp(devices[3]), Ipv4Text(DeviceIp(devices[3])));
}

TEST_F(CommandTest, SetIpRetransmittedUntilAnsweredAndFollowedOnlyFromTheOldAddress) {
  const std::string file = WriteDeviceFile("[device]\n");
  const auto devices = Devices(file);
  const std::string mac = Mac(devices[0]);
  const std::string oldIp = Ipv4Text(DeviceIp(devices[0]));
  StartDevsim({"--file", file});
  StartEngine({}, 200, 5);
  ASSERT_TRUE(SearchUntilStored(1));
  ASSERT_EQ(devsim_->Control("ignore " + mac + " set_ip 2"), "ok");

  ap_info_stu device;
  ASSERT_TRUE(Stored(mac, device));
  IpBlock block = IpBlockOf(device);
  block.ip = ParseIpText("10.77.9.9");
  block.restart_flag = 0;
  engine_->FollowIpChange(mac, oldIp, "10.77.9.9");
  ASSERT_TRUE(engine_->SendToDevice(oldIp, kMsgSetIp, SetIpPayload(block), mac, true));

  // An answer from another address neither acknowledges nor moves anything.
  const int fake = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{AF_INET, 0, {}, {}};
  inet_pton(AF_INET, "10.77.0.1", &local.sin_addr);
  ASSERT_EQ(0, bind(fake, reinterpret_cast<sockaddr*>(&local), sizeof local));
  std::vector<uint8_t> answer(kDatagramHeaderSize + kSetIpPayloadSize);
  EncodeDatagram(SetIpPayload(block), mac, kMsgSetIp, false, answer);
  sockaddr_in reply{AF_INET, htons(kReplyPort), {}, {}};
  inet_pton(AF_INET, "10.77.0.1", &reply.sin_addr);
  ASSERT_GT(sendto(fake, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&reply),
                   sizeof reply),
            0);
  close(fake);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(engine_->Acknowledgements(mac, kMsgSetIp), 0u);
  ASSERT_TRUE(IsOnline(mac, EntryState::kReported));
  EXPECT_EQ(engine_->OnlineDevices()[0].ip, oldIp);

  // The third copy is answered, from the old address; the entry follows.
  EXPECT_TRUE(WaitUntil([&] { return engine_->Acknowledgements(mac, kMsgSetIp) == 1; }, 3s));
  EXPECT_EQ(Received(devices[0], "set_ip"), 3);
  EXPECT_TRUE(WaitUntil([&] { return engine_->OnlineDevices()[0].ip == "10.77.9.9"; }, 1s));
  EXPECT_TRUE(engine_->PendingCommands().empty());
  EXPECT_TRUE(WaitUntil([&] { return ShownIp(devices[0]) == "10.77.9.9"; }, 3s));
}

TEST_F(CommandTest, RebootReachesTheAccessPointBeforeItsStation) {
  const std::string file = WriteDeviceFile("[device]\nwork_mode = 1\n[device]\nwork_mode = 1\n");
  const auto devices = Devices(file);
  StartDevsim({"--file", file, "--log", "--restart-time", "500"});
  StartEngine();
  ASSERT_TRUE(SearchUntilStored(2));
  // Pair the second device with the first as its access point.
  ap_info_stu station;
  ASSERT_TRUE(Stored(Mac(devices[1]), station));
  station.bridge_work_mode = 2;
  std::memcpy(station.bridge_mac, devices[0].settings.ssid_mac, 6);
  station.bridge_channel = devices[0].settings.channel;
  const std::string stationIp = IpText(station.ip);
  IpBlock keep = IpBlockOf(station);
  keep.restart_flag = 0;
  ASSERT_TRUE(engine_->SendToDevice(stationIp, kMsgSetBridge, SetBridgePayload(station, keep),
                                    Mac(devices[1]), true));
  ASSERT_TRUE(WaitUntil([&] { return store_->GetDeviceStatus(Mac(devices[1])) == 2; }, 3s));
  engine_->Stop();
  devsim_->TakeLog();

  // The station is named first; its access point is sent to first.
  const CommandRun run = Devicectl("reboot " + Mac(devices[1]) + " " + Mac(devices[0]));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  std::vector<std::string> reboots;
  for (const std::string& line : devsim_->TakeLog()) {
    if (line.starts_with("rx reboot ")) reboots.push_back(line);
  }
  ASSERT_EQ(reboots.size(), 2u);
  EXPECT_NE(reboots[0].find(Mac(devices[0])), std::string::npos) << reboots[0];
  EXPECT_NE(reboots[1].find(Mac(devices[1])), std::string::npos) << reboots[1];
}

TEST_F(CommandTest, UpgradeFetchesTheFileAndEndsInSuccessOrFailure) {
  const std::string file = WriteDeviceFile(
      "[device]\nmodel = 3\n[device]\nmodel = 3\nrefuse = upgrade\n[device]\nmodel = 4\n");
  const auto devices = Devices(file);
  const auto firmware = scratch_ / "firmware" / "fw-2.1.bin";
  std::filesystem::create_directories(firmware.parent_path());
  std::ofstream(firmware, std::ios::binary) << std::string(200000, '\x5a');
  StartDevsim(
      {"--file", file, "--tftp-port", "16969", "--upgrade-time", "1500", "--restart-time", "300"});

  // Devices of two models are refused before anything is sent.
  CommandRun run = Devicectl("upgrade --port 16969 --file '" + firmware.string() + "' " +
                             Mac(devices[0]) + " " + Mac(devices[2]));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_EQ(Received(devices[0], "upgrade"), 0);

  run = Devicectl("upgrade --port 16969 --transfer-seconds 30 --upgrade-seconds 30 --file '" +
                  firmware.string() + "' " + Mac(devices[0]) + " " + Mac(devices[1]));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(LineOf(run.out, Mac(devices[0])).find("Upgrade success"), std::string::npos) << run.out;
  EXPECT_NE(LineOf(run.out, Mac(devices[1])).find("Upgrade fail"), std::string::npos) << run.out;
  // The waiting device answered the query and went on to "Upgrading"; the
  // failed one was not asked.
  EXPECT_NE(run.out.find("  " + Mac(devices[0]) + "  Upgrading"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("  " + Mac(devices[1]) + "  Upgrading"), std::string::npos) << run.out;
  EXPECT_EQ(Received(devices[1], "upgrade_query"), 0);
  // The server was told to serve the firmware's folder on the chosen port.
  const std::string ini =
      ReadFile(std::filesystem::path(DEVICECTL_PATH).parent_path() / "service" / "FileServer.ini");
  EXPECT_NE(ini.find("Directory=" + firmware.parent_path().string()), std::string::npos) << ini;
  EXPECT_NE(ini.find("Port=16969"), std::string::npos) << ini;
}

}  // namespace
