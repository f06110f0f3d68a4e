#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/store/store_test_support.h"

namespace {

using DevicePages = StoreTest;

struct PageCase {
  int pageNumber;
  std::size_t records;
};

TEST_F(DevicePages, ThirtyOneRowsInPagesOfFifteen) {
  for (int i = 0; i < 31; ++i) ASSERT_TRUE(store().UpsertDevice(MakeDevice(i)));
  const PageCase cases[] = {{1, 15}, {2, 15}, {3, 1}, {4, 0}, {50, 0}, {0, 0}, {-3, 0}};
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.pageNumber);
    std::vector<ap_info_stu> page(2);  // records are appended after these
    int pageCount = -1;
    int total = 5;  // the total is added to the caller's counter
    ASSERT_TRUE(store().QueryDevicePage(0, 15, c.pageNumber, 1, "", page, pageCount, total));
    EXPECT_EQ(page.size(), 2 + c.records);
    EXPECT_EQ(pageCount, 3);
    EXPECT_EQ(total, 36);
  }
  EXPECT_EQ(PageMacs(0, 15, 3, 1), std::vector<std::string>{MacOf(30)});

  // One page as large as a caller may ask holds every row.
  std::vector<ap_info_stu> page;
  int pageCount = 0;
  int total = 0;
  ASSERT_TRUE(store().QueryDevicePage(0, INT_MAX, 1, 1, "", page, pageCount, total));
  EXPECT_EQ(page.size(), 31u);
  EXPECT_EQ(pageCount, 1);
  ASSERT_TRUE(store().QueryDevicePage(0, INT_MAX, INT_MAX, 1, "", page, pageCount, total));
  EXPECT_EQ(page.size(), 31u);
  EXPECT_EQ(total, 62);
  EXPECT_EQ(PageMacs(0, 15, 3, 0), std::vector<std::string>{MacOf(0)});
}

TEST_F(DevicePages, NoRowsAndNoPageSize) {
  std::vector<ap_info_stu> page;
  int pageCount = 7;
  int total = 0;
  ASSERT_TRUE(store().QueryDevicePage(1, 15, 1, 1, "", page, pageCount, total));
  EXPECT_TRUE(page.empty());
  EXPECT_EQ(pageCount, 0);
  EXPECT_EQ(total, 0);

  ASSERT_TRUE(store().UpsertDevice(MakeDevice(1)));
  pageCount = 7;
  EXPECT_FALSE(store().QueryDevicePage(1, 0, 1, 1, "", page, pageCount, total));
  EXPECT_TRUE(page.empty());
  EXPECT_EQ(pageCount, 7);
}

TEST_F(DevicePages, PagesCarryWholeRecords) {
  ap_info_stu device = MakeDevice(4);
  device.vlan_id = 1234;
  device.bridge_channel = 9;  // bridge fields are not read back
  ASSERT_TRUE(store().UpsertDevice(device));
  std::vector<ap_info_stu> page;
  int pageCount = 0;
  int total = 0;
  ASSERT_TRUE(store().QueryDevicePage(1, 15, 1, 1, "", page, pageCount, total));
  ASSERT_EQ(page.size(), 1u);
  ap_info_stu expected{};
  ASSERT_TRUE(store().GetDevice(MacOf(4), expected));
  EXPECT_EQ(std::memcmp(&page[0], &expected, sizeof expected), 0);
  EXPECT_EQ(page[0].vlan_id, 1234);
  EXPECT_EQ(page[0].bridge_channel, 0);
}

TEST_F(DevicePages, IpOrderPutsTheLastOctetFirst) {
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(1, "192.168.0.10")));
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(2, "192.168.1.5")));
  EXPECT_EQ(AllMacs(1, 1), (std::vector<std::string>{MacOf(2), MacOf(1)}));
  EXPECT_EQ(AllMacs(1, 0), (std::vector<std::string>{MacOf(1), MacOf(2)}));
}

class DeviceSearch : public StoreTest {
 protected:
  void Add(int index, std::string_view ip, std::string_view name, std::string_view ssid = "net",
           std::string_view version = "V1") {
    ap_info_stu device = MakeDevice(index, ip);
    SET_TEXT(device, ap_name, name);
    SET_TEXT(device, ssid, ssid);
    SET_TEXT(device, version, version);
    ASSERT_TRUE(store().UpsertDevice(device));
  }

  std::vector<std::string> Found(const std::string& text) {
    std::vector<ap_info_stu> page;
    int pageCount = 0;
    int total = 0;
    EXPECT_TRUE(store().QueryDevicePage(0, 100, 1, 1, text, page, pageCount, total));
    EXPECT_EQ(total, static_cast<int>(page.size()));
    std::vector<std::string> names;
    for (const ap_info_stu& device : page) names.emplace_back(device.ap_name, device.ap_name_len);
    return names;
  }
};

TEST_F(DeviceSearch, MatchesAnySearchedColumn) {
  Add(1, "192.168.0.1", "lan one");
  Add(2, "10.0.0.2", "named 192.168.x");
  Add(3, "10.0.0.3", "by ssid", "ssid-192.168");
  Add(4, "10.0.0.4", "by version", "net", "192.168-fw");
  Add(5, "10.0.0.5", "unrelated", "net", "V2");
  using Names = std::vector<std::string>;
  EXPECT_EQ(Found("192.168"), (Names{"lan one", "named 192.168.x", "by ssid", "by version"}));
  EXPECT_EQ(Found("LAN ONE"), Names{"lan one"});  // letters match in either case
  EXPECT_EQ(Found(MacOf(4)), Names{"by version"});
  EXPECT_EQ(Found("KT100").size(), 5u);    // model text
  EXPECT_EQ(Found("WPA2").size(), 0u);     // nobody uses it yet
  EXPECT_EQ(Found("Disable").size(), 5u);  // security mode text
  EXPECT_EQ(Found("0:0:0").size(), 5u);    // up time text
  EXPECT_EQ(Found("nothing like it").size(), 0u);
  EXPECT_EQ(Found("").size(), 5u);
}

TEST_F(DeviceSearch, NumberColumnsMatchTheirDecimalText) {
  ap_info_stu device = MakeDevice(1);
  device.channel = 149;
  device.tx_power = 27;
  SET_TEXT(device, ap_name, "radio");
  ASSERT_TRUE(store().UpsertDevice(device));
  Add(2, "10.0.0.2", "other");
  EXPECT_EQ(Found("149"), std::vector<std::string>{"radio"});
  EXPECT_EQ(Found("27"), std::vector<std::string>{"radio"});
}

TEST_F(DeviceSearch, FindsTheStatusWord) {
  Add(1, "10.0.0.1", "first");
  Add(2, "10.0.0.2", "second");
  ASSERT_TRUE(store().SetDeviceStatus(MacOf(2), kStatusUpgradeFail));
  EXPECT_EQ(Found(StatusText(kStatusOnline)), std::vector<std::string>{"first"});
  EXPECT_EQ(Found(StatusText(kStatusUpgradeFail)), std::vector<std::string>{"second"});
}

TEST_F(DeviceSearch, SpecialCharactersMatchOnlyThemselves) {
  Add(1, "10.0.0.1", "50% duty");
  Add(2, "10.0.0.2", "500 units");
  Add(3, "10.0.0.3", "a_b");
  Add(4, "10.0.0.4", "axb");
  Add(5, "10.0.0.5", "back\\slash");
  Add(6, "10.0.0.6", "it's here");
  Add(7, "10.0.0.7", "say \"hi\"");
  Add(8, "10.0.0.8", "unit\x1fsep");
  Add(9, "10.0.0.9", "plain");
  struct Case {
    std::string text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"50%", {"50% duty"}},
      {"%", {"50% duty"}},
      {"a_b", {"a_b"}},
      {"_", {"a_b"}},
      {"\\", {"back\\slash"}},
      {"k\\s", {"back\\slash"}},
      {"'", {"it's here"}},
      {"it's", {"it's here"}},
      {"\"hi\"", {"say \"hi\""}},
      {"' OR 1=1 --", {}},
      {"\x1f", {"unit\x1fsep"}},
      // Searched columns are joined with that byte internally; it must not
      // let a search text reach from one column into the next.
      {"unit\x1fsep\x1f", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Found(c.text), c.names);
  }
}

// Every sort key against an ordering computed here: ascending by the key's
// value (texts ignoring letter case), ties in insertion order; descending is
// the exact reverse.
struct SortKeyCase {
  int key;
  std::function<std::string(const ap_info_stu&)> text;  // for text keys
  std::function<int64_t(const ap_info_stu&)> number;    // for number keys
};

std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

TEST_F(DevicePages, EverySortKeyInBothDirections) {
  std::vector<ap_info_stu> devices;
  std::vector<int> statuses;
  const char* names[] = {"alpha", "Bravo", "charlie", "ALPHA", "delta", "bravo2", "Echo"};
  for (int i = 0; i < 40; ++i) {
    const int index = (i * 37) % 64;  // MACs not in insertion order
    const std::string ip = "192.168." + std::to_string(i % 3) + "." + std::to_string(200 - i * 5);
    ap_info_stu device = MakeDevice(index, ip);
    device.mac[9] = (i % 4 == 0) ? 'A' : 'a';  // MAC texts differing only in case sort together
    SET_TEXT(device, ap_name, names[i % 7]);
    device.ap_type = static_cast<uint16_t>(i % 5 == 0 ? 266 : 1 + i % 4);
    device.work_mode = static_cast<uint8_t>(1 + i % 7);
    SET_TEXT(device, ssid, i % 2 ? "Net" : "net-" + std::to_string(i % 6));
    device.channel = static_cast<uint8_t>((i * 13) % 5 * 36);
    device.secure_mode = static_cast<uint8_t>(i % 7);
    device.tx_power = static_cast<uint8_t>(10 + i % 9);
    SET_TEXT(device, version, i % 3 ? "V1.2" : "v1.10");
    device.bridge_transparent = static_cast<uint8_t>(i % 2);
    device.tdmaEn = static_cast<uint8_t>((i / 2) % 2);
    device.up_time = static_cast<uint32_t>((i * 7919) % 1000);
    ASSERT_TRUE(store().UpsertDevice(device));
    const int status = i % 6 == 0 ? kStatusUpgradeWait : (i % 4 == 0 ? kStatusRestarting : 1);
    if (status != 1) {
      ASSERT_TRUE(store().SetDeviceStatus(device.mac, status));
    }
    devices.push_back(device);
    statuses.push_back(status);
  }

  const auto text = [](auto field) {
    return [field](const ap_info_stu& d) { return Folded(field(d)); };
  };
  const std::vector<SortKeyCase> cases = {
      {0, text([](const ap_info_stu& d) { return std::string(d.mac); }), {}},
      {1, {}, [](const ap_info_stu& d) { return int64_t{IpNumber(d.ip)}; }},
      {2, text([](const ap_info_stu& d) { return std::string(d.ap_name, d.ap_name_len); }), {}},
      {3, {}, [](const ap_info_stu& d) { return int64_t{d.ap_type}; }},
      {4, {}, [](const ap_info_stu& d) { return int64_t{d.work_mode}; }},
      {5, text([](const ap_info_stu& d) { return std::string(d.ssid, d.ssid_len); }), {}},
      {6, {}, [](const ap_info_stu& d) { return int64_t{d.channel}; }},
      {7, {}, [](const ap_info_stu& d) { return int64_t{d.secure_mode}; }},
      {8, {}, [](const ap_info_stu& d) { return int64_t{d.tx_power}; }},
      {9, text([](const ap_info_stu& d) { return std::string(d.version, d.version_len); }), {}},
      {10, {}, [](const ap_info_stu& d) { return int64_t{d.bridge_transparent}; }},
      {11, {}, [](const ap_info_stu& d) { return int64_t{d.tdmaEn}; }},
      {12, {}, [](const ap_info_stu& d) { return int64_t{d.up_time}; }},
      {13, {}, {}},
      // Unknown keys sort by address.
      {14, {}, [](const ap_info_stu& d) { return int64_t{IpNumber(d.ip)}; }},
      {-1, {}, [](const ap_info_stu& d) { return int64_t{IpNumber(d.ip)}; }},
  };
  for (const SortKeyCase& c : cases) {
    SCOPED_TRACE(c.key);
    std::vector<std::size_t> order(devices.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      if (c.text) return c.text(devices[a]) < c.text(devices[b]);
      if (c.number) return c.number(devices[a]) < c.number(devices[b]);
      return statuses[a] < statuses[b];
    });
    std::vector<std::string> expected;
    for (std::size_t i : order) expected.emplace_back(devices[i].mac);
    EXPECT_EQ(AllMacs(c.key, 1), expected);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(AllMacs(c.key, 0), expected);
  }

  // A search narrows the same order.
  std::vector<std::string> expected;
  for (const ap_info_stu& d : devices) {
    if (Folded(std::string(d.ap_name, d.ap_name_len)) == "alpha") expected.emplace_back(d.mac);
  }
  std::vector<std::string> found = AllMacs(0, 1, "alpha", 2);
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return Folded(a) < Folded(b); });
  EXPECT_EQ(found, expected);
}

}  // namespace
