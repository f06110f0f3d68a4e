// Device store figures at 10,000 stored devices, one per line, medians of
// several runs: upserts per second into a file database, and QueryDevicePage
// (page size 100, first and last page, every sort key, with and without a
// search text) beside the read-every-row query it replaces. Each figure comes
// as wall time and as the process's CPU time, which a busy shared machine
// inflates far less.

#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/ap_info_stu.h"
#include "store/device_columns.h"
#include "store/device_list_query.h"
#include "store/device_text.h"
#include "store/sql_management.h"
#include "store/sqlite_statement.h"

namespace {

constexpr int kDevices = 10000;
constexpr int kPageSize = 100;
constexpr int kUpsertRuns = 5;
constexpr int kQueryRuns = 7;
// Matches 2,816 of the addresses below (10.0.1.x, 10.0.10.x .. 10.0.19.x).
constexpr const char* kSearchText = "10.0.1";

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Timing {
  std::vector<double> wall;
  std::vector<double> cpu;

  void Measure(const std::function<void()>& work) {
    const auto start = Clock::now();
    const double cpuStart = CpuMilliseconds();
    work();
    cpu.push_back(CpuMilliseconds() - cpuStart);
    wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  void PrintRate(const char* name, int count) const {
    std::printf("%s %.0f\n", name, count / (Median(wall) / 1000.0));
    std::printf("%s_cpu %.0f\n", name, count / (Median(cpu) / 1000.0));
  }
  void PrintMilliseconds(const std::string& name) const {
    std::printf("%s %.3f\n", name.c_str(), Median(wall));
    std::printf("%s_cpu %.3f\n", name.c_str(), Median(cpu));
  }
};

void SetText(char* area, uint8_t& length, std::size_t size, const std::string& text) {
  const std::size_t n = std::min(text.size(), size);
  std::memcpy(area, text.data(), n);
  length = static_cast<uint8_t>(n);
}

ap_info_stu MakeDevice(int i) {
  ap_info_stu d{};
  std::snprintf(d.mac, sizeof d.mac, "00:1a:2b:%02x:%02x:%02x", (i >> 16) & 0xff, (i >> 8) & 0xff,
                i & 0xff);
  d.ap_type = static_cast<uint16_t>(i % 3 == 0 ? 257 + i % 11 : 1 + i % 11);
  d.work_mode = static_cast<uint8_t>(1 + i % 7);
  d.up_time = static_cast<uint32_t>(i * 7919 % 864000);
  const uint8_t ip[4] = {10, 0, static_cast<uint8_t>(i / 256), static_cast<uint8_t>(i % 256)};
  std::memcpy(d.ip, ip, 4);
  const uint8_t mask[4] = {255, 255, 0, 0};
  std::memcpy(d.ip_mask, mask, 4);
  SetText(d.ap_name, d.ap_name_len, sizeof d.ap_name, "Site " + std::to_string(i * 31 % kDevices));
  SetText(d.version, d.version_len, sizeof d.version, "V2." + std::to_string(i % 17) + ".3");
  SetText(d.ssid, d.ssid_len, sizeof d.ssid, "Link-" + std::to_string(i % 500));
  d.channel = static_cast<uint8_t>(36 + (i % 8) * 4);
  d.tx_power = static_cast<uint8_t>(10 + i % 18);
  d.secure_mode = static_cast<uint8_t>(i % 7);
  SetText(d.wpapsk_key_value, d.wpapsk_key_value_len, sizeof d.wpapsk_key_value,
          "key-" + std::to_string(i));
  d.bridge_transparent = static_cast<uint8_t>(i % 2);
  d.tdmaEn = static_cast<uint8_t>(i / 2 % 2);
  d.vlan_id = static_cast<uint16_t>(i % 4094);
  return d;
}

std::filesystem::path MakeTemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "bench-store-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// The query as the original algorithm runs it: every matching row and every
// column is read, and only the page's records are kept.
class ReadEveryRowQuery {
 public:
  explicit ReadEveryRowQuery(const std::filesystem::path& file) {
    sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(db_, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
  }
  ~ReadEveryRowQuery() { sqlite3_close(db_); }

  std::size_t Page(int sortKey, int pageNumber, const std::string& search) {
    // Read-back columns first, so a record fills as GetDevice fills it, then
    // every other column.
    std::string sql = "SELECT " + DeviceColumnList(true);
    int extra = 0;
    for (const DeviceColumn& column : DeviceColumns()) {
      if (column.readBack) continue;
      sql += std::string(",") + column.name;
      ++extra;
    }
    sql += ",ID FROM ap_info";
    ++extra;
    if (!search.empty()) {
      sql += " WHERE ";
      bool first = true;
      for (const char* column : SearchedDeviceColumns()) {
        if (!first) sql += " OR ";
        first = false;
        sql += std::string(column) + " LIKE ?1 ESCAPE '\\'";
      }
    }
    sql += std::string(" ORDER BY ") + DeviceSortColumn(sortKey) + " ASC";

    SqliteStatement statement(db_, sql);
    if (!search.empty()) statement.Bind(1, ContainsPattern(search));
    int readBack = 0;
    for (const DeviceColumn& column : DeviceColumns()) readBack += column.readBack ? 1 : 0;
    std::vector<ap_info_stu> page;
    std::size_t checksum = 0;
    for (int64_t i = 0; statement.Step() == SqliteStatement::StepResult::kRow; ++i) {
      ap_info_stu device{};
      ReadDeviceRow(statement, device);
      for (int c = 0; c < extra; ++c) checksum += statement.ColumnText(readBack + c).size();
      if (i >= int64_t{pageNumber - 1} * kPageSize && i < int64_t{pageNumber} * kPageSize) {
        page.push_back(device);
      }
    }
    return page.size() + (checksum == 0 ? 1 : 0);
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace

int main() {
  const std::filesystem::path directory = MakeTemporaryDirectory();
  if (directory.empty()) {
    std::fprintf(stderr, "no temporary directory\n");
    return 1;
  }
  const std::filesystem::path file = directory / "data.db";
  std::vector<ap_info_stu> devices;
  devices.reserve(kDevices);
  for (int i = 0; i < kDevices; ++i) devices.push_back(MakeDevice(i));

  std::unique_ptr<CSqlManagement> store;
  Timing newRows;
  for (int run = 0; run < kUpsertRuns; ++run) {
    store.reset();
    store = std::make_unique<CSqlManagement>(file);
    if (!store->IsOpen()) {
      std::fprintf(stderr, "cannot open %s\n", file.c_str());
      return 1;
    }
    newRows.Measure([&] {
      for (const ap_info_stu& device : devices) store->UpsertDevice(device);
    });
  }
  newRows.PrintRate("upserts_per_second_new_rows", kDevices);
  Timing existingRows;
  for (int run = 0; run < kUpsertRuns; ++run) {
    // A later report of each device: its up time has moved on.
    for (ap_info_stu& device : devices) device.up_time += 3;
    existingRows.Measure([&] {
      for (const ap_info_stu& device : devices) store->UpsertDevice(device);
    });
  }
  existingRows.PrintRate("upserts_per_second_existing_rows", kDevices);

  // The second connection reads the file: commit the grouped writes first.
  store->ExecuteSql("PRAGMA optimize");
  ReadEveryRowQuery baseline(file);
  for (const char* search : {"", kSearchText}) {
    for (int key = 0; key < kDeviceSortKeyCount; ++key) {
      std::vector<ap_info_stu> probe;
      int pageCount = 0;
      int total = 0;
      store->QueryDevicePage(key, kPageSize, 1, 1, search, probe, pageCount, total);
      for (const int pageNumber : {1, pageCount}) {
        const std::string which = pageNumber == 1 ? "first" : "last";
        const std::string label = *search == '\0' ? "no_search" : "search";
        const std::string suffix = "_" + label + "_key" + std::to_string(key) + "_" + which;
        Timing query;
        Timing readEveryRow;
        for (int run = 0; run < kQueryRuns; ++run) {
          query.Measure([&] {
            std::vector<ap_info_stu> page;
            int count = 0;
            int sum = 0;
            store->QueryDevicePage(key, kPageSize, pageNumber, 1, search, page, count, sum);
          });
          readEveryRow.Measure([&] { baseline.Page(key, pageNumber, search); });
        }
        query.PrintMilliseconds("query_page_ms" + suffix);
        readEveryRow.PrintMilliseconds("read_every_row_ms" + suffix);
      }
    }
  }

  store.reset();
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  return 0;
}
