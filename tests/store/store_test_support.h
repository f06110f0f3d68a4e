#pragma once
// Devices and a store in a temporary directory for the store tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "store/ap_info_stu.h"
#include "store/device_text.h"
#include "store/sql_management.h"
#include "tests/util/temp_directory.h"

inline void SetText(char* area, uint8_t& length, std::size_t areaSize, std::string_view text) {
  std::memset(area, 0, areaSize);
  const std::size_t n = std::min(text.size(), areaSize);
  std::memcpy(area, text.data(), n);
  length = static_cast<uint8_t>(n);
}

#define SET_TEXT(device, field, text) \
  SetText((device).field, (device).field##_len, sizeof((device).field), (text))

inline std::string MacOf(int index) {
  char text[18];
  std::snprintf(text, sizeof text, "00:1a:2b:%02x:%02x:%02x", (index >> 16) & 0xff,
                (index >> 8) & 0xff, index & 0xff);
  return text;
}

// A device as the engine hands it over: MAC text, address, name and a few
// radio values.
inline ap_info_stu MakeDevice(int index, std::string_view ip = {}) {
  ap_info_stu device{};
  const std::string mac = MacOf(index);
  std::memcpy(device.mac, mac.c_str(), mac.size() + 1);
  device.ap_type = 1;
  device.work_mode = 1;
  const std::string ipText =
      ip.empty() ? "10.0." + std::to_string(index / 256) + "." + std::to_string(index % 256)
                 : std::string(ip);
  const IpBytes bytes = ParseIpText(ipText);
  std::memcpy(device.ip, bytes.data(), bytes.size());
  SET_TEXT(device, ap_name, "Device " + std::to_string(index));
  SET_TEXT(device, version, "V1.0." + std::to_string(index));
  SET_TEXT(device, ssid, "Net" + std::to_string(index));
  device.channel = 36;
  device.tx_power = 20;
  return device;
}

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() : store_(std::make_unique<CSqlManagement>(directory_.path() / "data.db")) {}

  CSqlManagement& store() { return *store_; }

  // The MAC texts of one query page, in order.
  std::vector<std::string> PageMacs(int sortKey, int pageSize, int pageNumber, int ascending,
                                    const std::string& search = {}) {
    std::vector<ap_info_stu> page;
    int pageCount = 0;
    int total = 0;
    EXPECT_TRUE(store().QueryDevicePage(sortKey, pageSize, pageNumber, ascending, search, page,
                                        pageCount, total));
    std::vector<std::string> macs;
    for (const ap_info_stu& device : page) macs.emplace_back(device.mac);
    return macs;
  }

  // Every matching device's MAC text, page after page.
  std::vector<std::string> AllMacs(int sortKey, int ascending, const std::string& search = {},
                                   int pageSize = 15) {
    std::vector<std::string> macs;
    for (int pageNumber = 1;; ++pageNumber) {
      const auto page = PageMacs(sortKey, pageSize, pageNumber, ascending, search);
      if (page.empty()) break;
      macs.insert(macs.end(), page.begin(), page.end());
    }
    return macs;
  }

  TempDirectory directory_;
  std::unique_ptr<CSqlManagement> store_;
};
