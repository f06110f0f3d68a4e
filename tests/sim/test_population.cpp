#include "sim/population.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "protocol/datagram.h"
#include "sim/report_builder.h"

namespace {

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<uint8_t>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<uint8_t>(text[i + k]) & 0xc0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

std::string Text(const char* area, uint8_t length) { return {area, length}; }

TEST(Population, SameSeedSameDevicesWhateverTheCount) {
  PopulationPlan plan;
  plan.seed = 42;
  plan.count = 50;
  const auto many = GeneratePopulation(plan);
  plan.count = 10;
  const auto few = GeneratePopulation(plan);
  for (std::size_t i = 0; i < few.size(); ++i) {
    EXPECT_EQ(0, std::memcmp(&many[i].settings, &few[i].settings, sizeof(ap_info_stu))) << i;
  }
  plan.seed = 43;
  const auto other = GeneratePopulation(plan);
  EXPECT_NE(0, std::memcmp(&other[3].settings, &few[3].settings, sizeof(ap_info_stu)));
}

TEST(Population, TenThousandDevicesAreDistinctAndWellFormed) {
  PopulationPlan plan;
  plan.count = 10000;
  const auto devices = GeneratePopulation(plan);
  std::set<std::string> macs, ips;
  std::set<uint16_t> models;
  std::size_t chineseNames = 0;
  for (const SimDevice& d : devices) {
    const ap_info_stu& s = d.settings;
    macs.insert(MacAddressText(d.mac));
    EXPECT_EQ(std::string(s.mac), MacAddressText(d.mac));
    const Ipv4 ip = DeviceIp(d);
    ips.insert(Ipv4Text(ip));
    EXPECT_NE(ip[3], 0);
    EXPECT_NE(ip[3], 255);
    EXPECT_NE(ip[2], 0) << "must stay out of the program's own 10.77.0.x";
    models.insert(s.ap_type);
    for (const auto& [area, length, size] :
         {std::tuple{s.ap_name, s.ap_name_len, 32}, {s.ssid, s.ssid_len, 32},
          {s.version, s.version_len, 32}, {s.bridge_ssid, s.bridge_ssid_len, 32},
          {s.wpapsk_key_value, s.wpapsk_key_value_len, 64}, {s.wpa_key, s.wpa_key_len, 64},
          {s.wep_key_value0, s.wep_key_value0_len, 26}}) {
      ASSERT_LE(length, size);
      ASSERT_GT(length, 0);
      EXPECT_TRUE(IsValidUtf8(Text(area, length)));
    }
    if (static_cast<uint8_t>(s.ap_name[0]) >= 0x80) ++chineseNames;
    EXPECT_LE(s.tx_power_min, s.tx_power);
    EXPECT_LE(s.tx_power, s.tx_power_max);
    EXPECT_GE(s.work_mode, 1);
    EXPECT_LE(s.work_mode, 7);
  }
  EXPECT_EQ(macs.size(), devices.size());
  EXPECT_EQ(ips.size(), devices.size());
  EXPECT_EQ(models.size(), AllModelCodes().size());
  EXPECT_GT(chineseNames, devices.size() / 5);
  EXPECT_LT(chineseNames, devices.size());
}

TEST(Population, AddressesSkipNetworkAndBroadcastOctets) {
  struct Case {
    Ipv4 first;
    std::size_t index;
    Ipv4 expected;
  };
  const Case cases[] = {
      {{10, 77, 1, 1}, 0, {10, 77, 1, 1}},     {{10, 77, 1, 1}, 253, {10, 77, 1, 254}},
      {{10, 77, 1, 1}, 254, {10, 77, 2, 1}},   {{10, 77, 1, 0}, 0, {10, 77, 1, 1}},
      {{10, 77, 1, 255}, 0, {10, 77, 2, 1}},   {{10, 77, 1, 200}, 60, {10, 77, 2, 6}},
      {{10, 77, 1, 1}, 9999, {10, 77, 40, 94}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ipv4Text(GeneratedAddress(c.first, c.index)), Ipv4Text(c.expected))
        << Ipv4Text(c.first) << " + " << c.index;
  }
}

TEST(Population, FileOverridesTheGeneratedFields) {
  const std::string text =
      "\xef\xbb\xbf# two devices\n"
      "[device]\n"
      "mac = 00:00:00:00:00:00\n"
      "ip = 10.77.3.9\n"
      "model = LM110\n"
      "name = 南山中继站\n"
      "short_announcement = 1\n"
      "\n"
      "[device]\n"
      "model = 4\n"
      "reported_ip = 10.77.3.9\n"
      "silent = 1\n"
      "up_time = 86400\n";
  PopulationPlan plan;
  std::vector<SimDevice> devices;
  std::string error;
  ASSERT_TRUE(ParsePopulationText(text, plan, devices, error)) << error;
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(MacAddressText(devices[0].mac), "00:00:00:00:00:00");
  EXPECT_EQ(Ipv4Text(DeviceIp(devices[0])), "10.77.3.9");
  EXPECT_EQ(devices[0].settings.ap_type, 267);
  EXPECT_EQ(Text(devices[0].settings.ap_name, devices[0].settings.ap_name_len), "南山中继站");
  EXPECT_TRUE(devices[0].shortAnnouncement);
  // Fields the file leaves out are those of generated device 1.
  const SimDevice generated = GenerateDevice(plan, 1);
  EXPECT_EQ(devices[1].mac, generated.mac);
  EXPECT_EQ(devices[1].settings.ap_type, 4);
  EXPECT_EQ(Ipv4Text(*devices[1].reportedIp), "10.77.3.9");
  EXPECT_TRUE(devices[1].silent);
  EXPECT_EQ(devices[1].upTimeAtStart, 86400u);
  EXPECT_EQ(devices[1].settings.channel, generated.settings.channel);
}

TEST(Population, FileSetsTheCommandBehaviour) {
  const std::string text =
      "[device]\n"
      "refuse = reboot, set_vlan\n"
      "ignore = 3\n"
      "neighbours = 70\n"
      "factory_ip = 10.77.9.9\n";
  std::vector<SimDevice> devices;
  std::string error;
  ASSERT_TRUE(ParsePopulationText(text, PopulationPlan{}, devices, error)) << error;
  const SimDevice& d = devices.at(0);
  EXPECT_EQ(d.rules[kMsgReboot].behaviour, CommandBehaviour::kRefuse);
  EXPECT_EQ(d.rules[kMsgSetVlan].behaviour, CommandBehaviour::kRefuse);
  EXPECT_EQ(d.rules[kMsgSetIp].behaviour, CommandBehaviour::kIgnore);
  EXPECT_EQ(d.rules[kMsgSetName].behaviour, CommandBehaviour::kAnswer);
  EXPECT_EQ(d.neighbours, 70);
  EXPECT_EQ(Ipv4Text(*d.factoryIp), "10.77.9.9");
}

TEST(Population, FileErrorsNameTheLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"ip = 10.77.1.1\n", "line 1"},
      {"[device]\ncolour = red\n", "line 2"},
      {"[device]\nip = 10.77.1\n", "line 2"},
      {"[device]\nmodel = KT99\n", "line 2"},
      {"[device]\n\nmac = 02:00:00:00:00\n", "line 3"},
      {"[device]\nsilent = 2\n", "line 2"},
      {"[device]\nrefuse = reboot,fly\n", "line 2"},
      {"[device]\nneighbours = 9000\n", "line 2"},
  };
  for (const Case& c : cases) {
    std::vector<SimDevice> devices;
    std::string error;
    EXPECT_FALSE(ParsePopulationText(c.text, PopulationPlan{}, devices, error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

}  // namespace
