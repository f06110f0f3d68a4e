// One refresh of the Status page (the store's page query and the grid fill)
// with 100 rows a page over 10,000 stored devices. Prints medians of 31 runs
// in milliseconds: the whole refresh and the query alone.

#include <unistd.h>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/application_app.h"
#include "pages/status/status_dlg.h"
#include "store/device_text.h"
#include "store/sql_management.h"

namespace {
constexpr int kDevices = 10000;
constexpr int kPageSize = 100;
constexpr int kRuns = 31;

ap_info_stu Device(int i) {
  ap_info_stu device{};
  const uint8_t mac[6] = {0x02,
                          0,
                          0,
                          static_cast<uint8_t>(i >> 16),
                          static_cast<uint8_t>(i >> 8),
                          static_cast<uint8_t>(i)};
  std::snprintf(device.mac, sizeof device.mac, "%s", MacText(mac).c_str());
  device.ap_type = static_cast<uint16_t>(1 + i % 11);
  device.ap_status = kStatusOnline;
  device.work_mode = static_cast<uint8_t>(i % 3);
  device.up_time = static_cast<uint32_t>(i * 37);
  const uint8_t ip[4] = {10, 77, static_cast<uint8_t>(1 + i / 250),
                         static_cast<uint8_t>(1 + i % 250)};
  std::memcpy(device.ip, ip, 4);
  device.ap_name_len =
      static_cast<uint8_t>(std::snprintf(device.ap_name, sizeof device.ap_name, "mast-%05d", i));
  device.ssid_len =
      static_cast<uint8_t>(std::snprintf(device.ssid, sizeof device.ssid, "link-%d", i % 97));
  device.version_len =
      static_cast<uint8_t>(std::snprintf(device.version, sizeof device.version, "V2.%d", i % 5));
  device.channel = static_cast<uint8_t>(1 + i % 11);
  return device;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const auto dir =
      std::filesystem::temp_directory_path() / ("bench-status-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  double refreshMs = 0, queryMs = 0;
  {
    CSqlManagement store(dir / "data.db");
    for (int i = 0; i < kDevices; ++i) store.UpsertDevice(Device(i));
    std::vector<std::string> macs;
    if (!store.GetAllMacs(macs) || macs.size() != kDevices) {
      std::fprintf(stderr, "bench_status_refresh: %zu devices stored, not %d\n", macs.size(),
                   kDevices);
      return 1;
    }
    CApplicationApp app;
    app.store = &store;
    app.skin = BuildSkinPaths(SOURCE_DIR "/resources/Skin", 1033);
    CStatusDlg page(app, nullptr);
    page.SetPageSize(kPageSize);
    page.show();
    page.Refresh(1);

    using Clock = std::chrono::steady_clock;
    std::vector<double> refresh, query;
    for (int run = 0; run < kRuns; ++run) {
      const int pageNumber = 1 + run % (kDevices / kPageSize);
      auto start = Clock::now();
      page.Refresh(pageNumber);
      refresh.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      if (page.StoredTotal() != kDevices) {
        std::fprintf(stderr, "bench_status_refresh: the page counted %d devices\n",
                     page.StoredTotal());
        return 1;
      }

      std::vector<ap_info_stu> rows;
      int pages = 0, total = 0;
      start = Clock::now();
      store.QueryDevicePage(1, kPageSize, pageNumber, 0, {}, rows, pages, total);
      query.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    refreshMs = Median(refresh);
    queryMs = Median(query);
  }
  std::filesystem::remove_all(dir);
  std::printf("status_refresh_100_rows_10000_devices_median_ms %.2f\n", refreshMs);
  std::printf("status_query_100_rows_10000_devices_median_ms %.2f\n", queryMs);
  return 0;
}
