#include "store/sql_management.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "i18n/language.h"
#include "tests/store/store_test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> ColumnNames(const fs::path& file, const std::string& table) {
  std::vector<std::string> names;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "SELECT name FROM pragma_table_info('" + table + "')";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
      while (sqlite3_step(statement) == SQLITE_ROW) {
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
      }
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return names;
}

std::vector<std::string> GetAllMacsOf(CSqlManagement& store) {
  std::vector<std::string> macs;
  EXPECT_TRUE(store.GetAllMacs(macs));
  return macs;
}

TEST(StoreFile, OldFileIsReplacedAtCreationAndRemovedAtDestruction) {
  TempDirectory directory;
  const fs::path file = directory.path() / "data.db";
  directory.Write("data.db", "left over from an earlier run, not a database");
  {
    CSqlManagement store(file);
    ASSERT_TRUE(store.IsOpen());
    EXPECT_EQ(store.DatabasePath(), file);
    std::vector<std::string> macs;
    EXPECT_TRUE(store.GetAllMacs(macs));
    EXPECT_TRUE(macs.empty());
    EXPECT_TRUE(store.UpsertDevice(MakeDevice(1)));
    EXPECT_TRUE(fs::exists(file));
  }
  EXPECT_FALSE(fs::exists(file));

  // A second store at the same path starts empty again.
  CSqlManagement again(file);
  std::vector<std::string> macs;
  EXPECT_TRUE(again.GetAllMacs(macs));
  EXPECT_TRUE(macs.empty());
}

TEST(StoreFile, SchemaHasEveryColumnInOrderAndUniqueMacs) {
  TempDirectory directory;
  const fs::path file = directory.path() / "data.db";
  CSqlManagement store(file);
  const std::vector<std::string> expected = {"ID",
                                             "mac",
                                             "ap_type",
                                             "ap_type_str",
                                             "ap_status",
                                             "ap_status_str",
                                             "work_mode",
                                             "work_mode_str",
                                             "mode_btn_status",
                                             "up_time",
                                             "up_time_str",
                                             "ip_mode",
                                             "ip_num",
                                             "ip",
                                             "ip_mask",
                                             "ip_gateway",
                                             "ip_dns1",
                                             "ip_dns2",
                                             "ap_name",
                                             "version",
                                             "restart_en",
                                             "restart_type",
                                             "restart_time",
                                             "rf_count",
                                             "rf_en",
                                             "rf_type",
                                             "country_code",
                                             "network_mode",
                                             "bandwidth",
                                             "channel",
                                             "expand_channel",
                                             "tx_power",
                                             "tx_power_min",
                                             "tx_power_max",
                                             "ssid_count",
                                             "ssid_rf_type",
                                             "ssid_id",
                                             "ssid_hide",
                                             "ssid_mac",
                                             "ssid",
                                             "secure_mode",
                                             "secure_mode_str",
                                             "wpapsk_auth_type",
                                             "wpapsk_key_value",
                                             "wpapsk_key_time",
                                             "wep_auth_type",
                                             "wep_key_index",
                                             "wep_key_value0",
                                             "wep_key_type0",
                                             "wep_key_value1",
                                             "wep_key_type1",
                                             "wep_key_value2",
                                             "wep_key_type2",
                                             "wep_key_value3",
                                             "wep_key_type3",
                                             "wpa_auth_type",
                                             "wpa_radius_ip",
                                             "wpa_radius_port",
                                             "wpa_key",
                                             "wpa_key_time",
                                             "bridge_work_mode",
                                             "bridge_mac",
                                             "bridge_channel",
                                             "bridge_ssid",
                                             "vlan_en",
                                             "vlan_id",
                                             "vlan_id_wlan",
                                             "vlan_id_lan",
                                             "bridge_transparent",
                                             "bridge_transparent_str",
                                             "tdmaEn",
                                             "tdmaEn_str",
                                             "vlan_pvid",
                                             "vlan_id_lan3",
                                             "vlan_id_lan4"};
  std::vector<std::string> columns = ColumnNames(file, "ap_info");
  // The stored search column follows the described ones.
  ASSERT_GE(columns.size(), expected.size());
  columns.resize(expected.size());
  EXPECT_EQ(columns, expected);
  EXPECT_EQ(
      ColumnNames(file, "ap_other_info"),
      (std::vector<std::string>{"ID", "packet_count", "packet_id", "icount", "mac", "ssid",
                                "signal", "channel", "secure_mode", "exchannel", "bandwidth"}));

  EXPECT_TRUE(store.ExecuteSql("INSERT INTO ap_info(mac) VALUES('00:00:00:00:00:01')"));
  EXPECT_FALSE(store.ExecuteSql("INSERT INTO ap_info(mac) VALUES('00:00:00:00:00:01')"));
  EXPECT_FALSE(store.ExecuteSql("INSERT INTO ap_other_info(mac) VALUES('x'),('X')"));
  EXPECT_FALSE(store.ExecuteSql("not a statement"));
}

// Counts rows through a second connection, as another program would see the file.
int64_t RowsInFile(const fs::path& file, const char* table) {
  sqlite3* db = nullptr;
  int64_t rows = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    const std::string sql = std::string("SELECT count(*) FROM ") + table;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      rows = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return rows;
}

TEST(StoreFile, GroupedWritesReachTheFile) {
  TempDirectory directory;
  const fs::path file = directory.path() / "data.db";
  CSqlManagement store(file);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(store.UpsertDevice(MakeDevice(i)));
  ASSERT_TRUE(store.DeleteDevice(MacOf(0)));
  // ExecuteSql acts on the file as others see it.
  ASSERT_TRUE(store.ExecuteSql("DELETE FROM ap_info WHERE mac='" + MacOf(1) + "'"));
  EXPECT_EQ(RowsInFile(file, "ap_info"), 3);

  // Without it, the next operation after the commit interval writes them.
  ASSERT_TRUE(store.UpsertDevice(MakeDevice(9)));
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  EXPECT_EQ(store.GetDeviceStatus(MacOf(9)), kStatusOnline);
  EXPECT_EQ(RowsInFile(file, "ap_info"), 4);
}

TEST(StoreFile, UnopenablePathGivesAnUnusableStore) {
  TempDirectory directory;
  const fs::path subdirectory = directory.path() / "taken";
  fs::create_directory(subdirectory);
  for (const fs::path& path : {directory.path() / "missing" / "data.db", subdirectory}) {
    SCOPED_TRACE(path.string());
    {
      CSqlManagement store(path);
      EXPECT_FALSE(store.IsOpen());
      EXPECT_FALSE(store.ExecuteSql("SELECT 1"));
      EXPECT_FALSE(store.UpsertDevice(MakeDevice(1)));
      EXPECT_FALSE(store.UpdateKeepalive("10.0.0.1", MacOf(1), 5));
      EXPECT_FALSE(store.SetDeviceStatus(MacOf(1), 4));
      EXPECT_FALSE(store.PromoteUpgradeWait(MacOf(1)));
      EXPECT_FALSE(store.ClearUpgradeFail(MacOf(1)));
      EXPECT_FALSE(store.IsUpgradeWaiting(MacOf(1)));
      EXPECT_EQ(store.GetDeviceStatus(MacOf(1)), 0);
      EXPECT_FALSE(store.DeleteDevice(MacOf(1)));
      EXPECT_FALSE(store.HasBridgedStations(MacOf(1)));
      EXPECT_FALSE(store.ClearScanResults());
      const uint8_t scan[3] = {1, 0, 0};
      EXPECT_FALSE(store.StoreScanResults(scan, sizeof scan));

      ap_info_stu device = MakeDevice(7);
      EXPECT_FALSE(store.GetDevice(MacOf(7), device));
      EXPECT_EQ(device.mac[0], 0);
      std::vector<std::string> texts{"kept"};
      EXPECT_FALSE(store.GetAllIps(texts));
      EXPECT_FALSE(store.GetAllMacs(texts));
      EXPECT_EQ(texts.size(), 1u);
      std::vector<ScanEntry> entries;
      EXPECT_FALSE(store.GetScanResults(0, 1, entries));
      ScanEntry entry{};
      EXPECT_FALSE(store.GetScanResult(MacOf(1), entry));

      std::vector<ap_info_stu> page(1);
      int pageCount = 9;
      int total = 4;
      EXPECT_FALSE(store.QueryDevicePage(1, 15, 1, 1, "", page, pageCount, total));
      EXPECT_EQ(page.size(), 1u);
      EXPECT_EQ(pageCount, 9);
      EXPECT_EQ(total, 4);
    }
    // A directory at the path survives the store.
    if (path == subdirectory) {
      EXPECT_TRUE(fs::is_directory(subdirectory));
    }
  }
}

TEST(StoreFile, DefaultPathIsAPrivateDirectoryOfTheProgram) {
  TempDirectory directory;
  const char* previous = getenv("XDG_RUNTIME_DIR");
  const std::string saved = previous != nullptr ? previous : "";

  setenv("XDG_RUNTIME_DIR", directory.path().c_str(), 1);
  const fs::path path = CSqlManagement::DefaultDatabasePath();
  EXPECT_EQ(path, directory.path() / APP_PROGRAM_NAME / "data.db");
  struct stat info {};
  ASSERT_EQ(stat(path.parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  unsetenv("XDG_RUNTIME_DIR");
  const fs::path fallback = CSqlManagement::DefaultDatabasePath();
  EXPECT_EQ(fallback.filename(), "data.db");
  ASSERT_EQ(stat(fallback.parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(info.st_uid, geteuid());

  if (previous != nullptr) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

using DeviceStore = StoreTest;

TEST_F(DeviceStore, TwoReportsGiveOneRowAndTheSecondOverwritesStatusAndFields) {
  ap_info_stu device = MakeDevice(1);
  ASSERT_TRUE(store().UpsertDevice(device));
  ASSERT_TRUE(store().SetDeviceStatus(MacOf(1), kStatusRestarting));
  EXPECT_EQ(store().GetDeviceStatus(MacOf(1)), kStatusRestarting);
  EXPECT_EQ(AllMacs(1, 1, "Restarting"), std::vector<std::string>{MacOf(1)});

  SET_TEXT(device, ap_name, "Renamed");
  device.ap_status = kStatusUpgradeFail;  // the record's status is never stored
  ASSERT_TRUE(store().UpsertDevice(device));
  ASSERT_TRUE(store().UpsertDevice(device));  // the same report again changes nothing

  std::vector<std::string> macs;
  ASSERT_TRUE(store().GetAllMacs(macs));
  EXPECT_EQ(macs, std::vector<std::string>{MacOf(1)});
  ap_info_stu stored{};
  ASSERT_TRUE(store().GetDevice(MacOf(1), stored));
  EXPECT_EQ(stored.ap_status, kStatusOnline);
  EXPECT_EQ(std::string(stored.ap_name, stored.ap_name_len), "Renamed");
  EXPECT_TRUE(AllMacs(1, 1, "Restarting").empty());
  EXPECT_EQ(AllMacs(1, 1, "Online"), std::vector<std::string>{MacOf(1)});
}

TEST_F(DeviceStore, ChangesOfOneRowNeedThatRow) {
  EXPECT_FALSE(store().SetDeviceStatus(MacOf(1), kStatusRestarting));
  EXPECT_FALSE(store().UpdateKeepalive("10.0.0.1", MacOf(1), 60));
  EXPECT_FALSE(store().PromoteUpgradeWait(MacOf(1)));
  EXPECT_FALSE(store().ClearUpgradeFail(MacOf(1)));
  EXPECT_FALSE(store().IsUpgradeWaiting(MacOf(1)));
  EXPECT_FALSE(store().HasBridgedStations(MacOf(1)));
  EXPECT_EQ(store().GetDeviceStatus(MacOf(1)), 0);
  std::vector<std::string> macs;
  ASSERT_TRUE(store().GetAllMacs(macs));
  EXPECT_TRUE(macs.empty());
}

TEST_F(DeviceStore, TextColumnsUseTheLanguageCurrentWhenTheRowIsWritten) {
  directory_.Write("Languages/Language.ini", "[LCID]\r\n");
  directory_.Write("Languages/German.lng",
                   "[ProgramOutStr]\r\nonline=Verbunden\r\nrestarting=Neustart\r\n");
  LoadLanguage(directory_.directoryText());
  SelectLanguage("");
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(1)));
  SelectLanguage("German");
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(2)));
  ASSERT_TRUE(store().SetDeviceStatus(MacOf(1), kStatusRestarting));
  EXPECT_EQ(AllMacs(1, 1, "Verbunden"), std::vector<std::string>{MacOf(2)});
  EXPECT_EQ(AllMacs(1, 1, "Neustart"), std::vector<std::string>{MacOf(1)});
  SelectLanguage("");
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(3)));
  EXPECT_EQ(AllMacs(1, 1, "Online"), std::vector<std::string>{MacOf(3)});
}

struct UpgradeCase {
  int status;
  bool promoted;
  int afterPromote;
  bool cleared;
  int afterClear;
};

TEST_F(DeviceStore, UpgradeStatusChangesOnlyFromTheirOwnStatus) {
  const UpgradeCase cases[] = {
      {kStatusUpgradeWait, true, kStatusUpgrading, false, kStatusUpgrading},
      {kStatusUpgradeSuccess, false, kStatusUpgradeSuccess, false, kStatusUpgradeSuccess},
      {kStatusUpgradeFail, false, kStatusUpgradeFail, true, kStatusOnline},
      {kStatusOnline, false, kStatusOnline, false, kStatusOnline},
  };
  for (const UpgradeCase& c : cases) {
    SCOPED_TRACE(c.status);
    ASSERT_TRUE(store().UpsertDevice(MakeDevice(1)));
    ASSERT_TRUE(store().SetDeviceStatus(MacOf(1), c.status));
    EXPECT_EQ(store().IsUpgradeWaiting(MacOf(1)), c.status == kStatusUpgradeWait);
    EXPECT_EQ(store().PromoteUpgradeWait(MacOf(1)), c.promoted);
    EXPECT_EQ(store().GetDeviceStatus(MacOf(1)), c.afterPromote);
    EXPECT_EQ(store().ClearUpgradeFail(MacOf(1)), c.cleared);
    EXPECT_EQ(store().GetDeviceStatus(MacOf(1)), c.afterClear);
    // The status text follows the code, so the filter finds the new word.
    EXPECT_EQ(AllMacs(1, 1, StatusText(c.afterClear)), std::vector<std::string>{MacOf(1)});
  }
}

TEST_F(DeviceStore, KeepaliveSetsUpTimeAddressAndAddressOrder) {
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(1, "10.0.0.1")));
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(2, "10.0.0.2")));
  // ip_num is never read back; find each row by its value instead.
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(3, "10.0.0.2")));
  ASSERT_TRUE(
      store().ExecuteSql("DELETE FROM ap_info WHERE ip_num=" + std::to_string(2 * (1 << 24) + 10) +
                         " AND mac<>'" + MacOf(2) + "'"));
  EXPECT_EQ(GetAllMacsOf(store()), (std::vector<std::string>{MacOf(1), MacOf(2)}));
  ASSERT_TRUE(
      store().ExecuteSql("DELETE FROM ap_info WHERE ip_num=" + std::to_string((1 << 24) + 10)));
  EXPECT_EQ(GetAllMacsOf(store()), std::vector<std::string>{MacOf(2)});
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(1, "10.0.0.1")));

  ASSERT_TRUE(store().UpdateKeepalive("10.0.0.3", MacOf(1), 90061));
  ap_info_stu device{};
  ASSERT_TRUE(store().GetDevice(MacOf(1), device));
  EXPECT_EQ(device.up_time, 90061u);
  EXPECT_EQ(IpText(device.ip), "10.0.0.3");
  EXPECT_EQ(AllMacs(1, 1), (std::vector<std::string>{MacOf(2), MacOf(1)}));
  EXPECT_EQ(AllMacs(1, 1, "1 1:1:1"), std::vector<std::string>{MacOf(1)});
  std::vector<std::string> ips;
  ASSERT_TRUE(store().GetAllIps(ips));
  EXPECT_EQ(ips, (std::vector<std::string>{"10.0.0.2", "10.0.0.3"}));
}

// A record with a distinct value in every stored field.
ap_info_stu FullDevice() {
  ap_info_stu d{};
  std::memcpy(d.mac, "a0:b1:c2:d3:e4:f5", 18);
  d.ap_type = 266;
  d.ap_status = kStatusOnline;
  d.work_mode = 5;
  d.mode_btn_status = 3;
  d.up_time = 0xfedcba98;
  d.ip_mode = 1;
  const uint8_t addresses[5][4] = {
      {192, 168, 7, 9}, {255, 255, 252, 0}, {192, 168, 4, 1}, {8, 8, 8, 8}, {1, 1, 1, 1}};
  std::memcpy(d.ip, addresses[0], 4);
  std::memcpy(d.ip_mask, addresses[1], 4);
  std::memcpy(d.ip_gateway, addresses[2], 4);
  std::memcpy(d.ip_dns1, addresses[3], 4);
  std::memcpy(d.ip_dns2, addresses[4], 4);
  SET_TEXT(d, ap_name, "Tower \xE5\x8C\x97 west");
  SET_TEXT(d, version, "V3.2.1 build 77");
  d.restart_en = 1;
  d.restart_type = 2;
  d.restart_time = 0xbeef;
  d.rf_count = 1;
  d.rf_en = 1;
  d.rf_type = 2;
  d.country_code = 44;
  d.network_mode = 9;
  d.bandwidth = 3;
  d.channel = 149;
  d.expand_channel = 153;
  d.tx_power = 27;
  d.tx_power_min = 5;
  d.tx_power_max = 30;
  d.ssid_rf_type = 2;
  d.ssid_id = 1;
  d.ssid_hide = 1;
  const uint8_t ssidMac[6] = {0xa0, 0xb1, 0xc2, 0xd3, 0xe4, 0xf6};
  std::memcpy(d.ssid_mac, ssidMac, 6);
  SET_TEXT(d, ssid, "Backhaul-5G");
  d.secure_mode = 3;
  d.wpapsk_auth_type = 2;
  SET_TEXT(d, wpapsk_key_value, std::string(64, 'k'));
  d.wpapsk_key_time = 86400;
  d.wep_auth_type = 1;
  d.wep_key_index = 2;
  d.wep_key_type0 = 1;
  SET_TEXT(d, wep_key_value0, "0123456789abcdef0123456789");
  d.wep_key_type1 = 2;
  SET_TEXT(d, wep_key_value1, "key1");
  d.wep_key_type2 = 3;
  SET_TEXT(d, wep_key_value2, "key2");
  d.wep_key_type3 = 4;
  SET_TEXT(d, wep_key_value3, "key3");
  const uint8_t radius[4] = {10, 20, 30, 40};
  std::memcpy(d.wpa_radius_ip, radius, 4);
  d.wpa_radius_port = 1812;
  d.wpa_auth_type = 1;
  SET_TEXT(d, wpa_key, "radius secret");
  d.wpa_key_time = 3600;
  d.ssid_count = 2;
  d.vlan_en = 1;
  d.vlan_id = 4094;
  d.vlan_id_wlan = 100;
  d.vlan_id_lan = 200;
  d.bridge_transparent = 1;
  d.tdmaEn = 1;
  d.vlan_pvid = 300;
  d.vlan_id_lan3 = 400;
  d.vlan_id_lan4 = 500;
  return d;
}

TEST_F(DeviceStore, GetDeviceGivesBackEveryStoredFieldAndZeroElsewhere) {
  const ap_info_stu expected = FullDevice();
  ap_info_stu reported = expected;
  // Carried by the report but never read back from the store.
  reported.ap_status = kStatusBridgeFail;
  reported.unnamed_26[0] = 0x55;
  reported.restart_flag = 1;
  std::memset(reported.unnamed_135, 0x66, sizeof reported.unnamed_135);
  reported.unnamed_373 = 0x77;
  reported.unnamed_451 = 0x78;
  reported.bridge_work_mode = 2;
  reported.bridge_mac[0] = 0x99;
  reported.bridge_channel = 11;
  SET_TEXT(reported, bridge_ssid, "peer");
  std::memset(reported.bridge_security, 0x44, sizeof reported.bridge_security);
  reported.unnamed_757 = 1;
  reported.unnamed_764 = 0x1234;
  std::memset(reported.unnamed_774, 0x33, sizeof reported.unnamed_774);
  // An earlier report of the same device with other values everywhere: the
  // second must replace each of them.
  ap_info_stu earlier;
  std::memset(&earlier, 0x5a, sizeof earlier);
  std::memcpy(earlier.mac, expected.mac, sizeof earlier.mac);
  ASSERT_TRUE(store().UpsertDevice(earlier));
  ASSERT_TRUE(store().UpsertDevice(reported));

  ap_info_stu stored;
  std::memset(&stored, 0xab, sizeof stored);
  ASSERT_TRUE(store().GetDevice(expected.mac, stored));
  EXPECT_EQ(std::memcmp(&stored, &expected, sizeof stored), 0);

  // An empty MAC text gives the first row.
  ASSERT_TRUE(store().UpsertDevice(MakeDevice(2)));
  ASSERT_TRUE(store().GetDevice("", stored));
  EXPECT_EQ(std::memcmp(&stored, &expected, sizeof stored), 0);

  ASSERT_TRUE(store().GetDevice(MacOf(99), stored));
  const ap_info_stu zero{};
  EXPECT_EQ(std::memcmp(&stored, &zero, sizeof stored), 0);
}

TEST_F(DeviceStore, TextsAreCutToTheirAreaAtACharacterBoundary) {
  ap_info_stu device = MakeDevice(1);
  // 29 letters, then a three-byte character ending at byte 32; the length
  // byte claims 31, so the character is cut and must go as a whole.
  const std::string name = std::string(29, 'n') + "\xE5\x8C\x97";
  SET_TEXT(device, ap_name, name);
  device.ap_name_len = 31;
  // A length byte beyond the area counts as the whole area.
  SET_TEXT(device, ssid, std::string(32, 's'));
  device.ssid_len = 200;
  ASSERT_TRUE(store().UpsertDevice(device));

  ap_info_stu stored{};
  ASSERT_TRUE(store().GetDevice(MacOf(1), stored));
  EXPECT_EQ(std::string(stored.ap_name, stored.ap_name_len), std::string(29, 'n'));
  EXPECT_EQ(stored.ap_name[29], 0);
  EXPECT_EQ(std::string(stored.ssid, stored.ssid_len), std::string(32, 's'));

  // A longer text written straight into a column comes back cut as well.
  ASSERT_TRUE(store().ExecuteSql("UPDATE ap_info SET version='" + std::string(31, 'v') +
                                 "\xC3\xA9\xC3\xA9'"));
  ASSERT_TRUE(store().GetDevice(MacOf(1), stored));
  EXPECT_EQ(std::string(stored.version, stored.version_len), std::string(31, 'v'));
}

TEST_F(DeviceStore, DeleteAndListsFollowTheRows) {
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(store().UpsertDevice(MakeDevice(i)));
  ASSERT_TRUE(store().DeleteDevice(MacOf(2)));
  EXPECT_TRUE(store().DeleteDevice(MacOf(2)));  // nothing left to delete is no failure
  std::vector<std::string> macs{"before"};
  ASSERT_TRUE(store().GetAllMacs(macs));
  EXPECT_EQ(macs, (std::vector<std::string>{"before", MacOf(1), MacOf(3)}));
  std::vector<std::string> ips;
  ASSERT_TRUE(store().GetAllIps(ips));
  EXPECT_EQ(ips, (std::vector<std::string>{"10.0.0.1", "10.0.0.3"}));
}

TEST_F(DeviceStore, BridgedStationsAreStationsPointingAtTheWirelessMac) {
  ap_info_stu root = MakeDevice(1);
  const uint8_t wireless[6] = {0x02, 0, 0, 0, 0, 0x01};
  std::memcpy(root.ssid_mac, wireless, 6);
  ASSERT_TRUE(store().UpsertDevice(root));
  EXPECT_FALSE(store().HasBridgedStations(MacOf(1)));

  ap_info_stu repeater = MakeDevice(2);
  repeater.work_mode = 3;
  std::memcpy(repeater.bridge_mac, wireless, 6);
  ASSERT_TRUE(store().UpsertDevice(repeater));
  EXPECT_FALSE(store().HasBridgedStations(MacOf(1)));

  ap_info_stu station = MakeDevice(3);
  station.work_mode = kWorkModeStation;
  std::memcpy(station.bridge_mac, wireless, 6);
  ASSERT_TRUE(store().UpsertDevice(station));
  EXPECT_TRUE(store().HasBridgedStations(MacOf(1)));
  EXPECT_FALSE(store().HasBridgedStations(MacOf(3)));
}

std::vector<uint8_t> ScanPage(uint8_t packetCount, uint8_t packetId, uint8_t icount,
                              const std::vector<ScanEntry>& entries) {
  std::vector<uint8_t> payload = {packetCount, packetId, icount};
  for (const ScanEntry& entry : entries) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&entry);
    payload.insert(payload.end(), bytes, bytes + sizeof entry);
  }
  return payload;
}

ScanEntry MakeScanEntry(int index, int8_t signal, uint8_t channel, std::string_view ssid) {
  ScanEntry entry{};
  const uint8_t mac[6] = {0x0e, 0, 0, 0, 0, static_cast<uint8_t>(index)};
  std::memcpy(entry.mac, mac, 6);
  entry.signal = signal;
  entry.channel = channel;
  entry.secure_mode = static_cast<uint8_t>(index % 3);
  std::memcpy(entry.ssid, ssid.data(), std::min(ssid.size(), sizeof entry.ssid));
  entry.ssid_len = static_cast<uint8_t>(ssid.size());
  entry.exchannel = static_cast<uint8_t>(channel + 4);
  entry.bandwidth = 2;
  return entry;
}

std::vector<int> ScanOrder(const std::vector<ScanEntry>& entries) {
  std::vector<int> order;
  for (const ScanEntry& entry : entries) order.push_back(entry.mac[5]);
  return order;
}

using ScanStore = StoreTest;

TEST_F(ScanStore, EntriesAreStoredOncePerMacAndReadBackInEveryOrder) {
  const std::vector<ScanEntry> entries = {
      MakeScanEntry(1, -70, 36, "beta"), MakeScanEntry(2, -40, 149, "Alpha"),
      MakeScanEntry(3, -90, 6, "gamma"), MakeScanEntry(4, -55, 11, "alpha2")};
  const auto payload = ScanPage(1, 0, 4, entries);
  ASSERT_TRUE(store().StoreScanResults(payload.data(), payload.size()));
  // A later page repeating one access point updates its row.
  std::vector<ScanEntry> again = {MakeScanEntry(3, -30, 6, "gamma")};
  const auto update = ScanPage(1, 0, 1, again);
  ASSERT_TRUE(store().StoreScanResults(update.data(), update.size()));

  struct Case {
    int key;
    std::vector<int> ascending;
  };
  const Case cases[] = {
      {0, {1, 2, 3, 4}}, {1, {2, 4, 1, 3}}, {2, {3, 4, 1, 2}},
      {3, {3, 1, 4, 2}}, {4, {1, 4, 2, 3}}, {17, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    std::vector<ScanEntry> read;
    ASSERT_TRUE(store().GetScanResults(c.key, 1, read));
    EXPECT_EQ(ScanOrder(read), c.ascending);
    read.clear();
    ASSERT_TRUE(store().GetScanResults(c.key, 0, read));
    EXPECT_EQ(ScanOrder(read), std::vector<int>(c.ascending.rbegin(), c.ascending.rend()));
  }

  ScanEntry entry{};
  ASSERT_TRUE(store().GetScanResult("0e:00:00:00:00:03", entry));
  EXPECT_EQ(std::memcmp(&entry, &again[0], sizeof entry), 0);
  ASSERT_TRUE(store().GetScanResult("0e:00:00:00:00:09", entry));
  const ScanEntry zero{};
  EXPECT_EQ(std::memcmp(&entry, &zero, sizeof entry), 0);

  ASSERT_TRUE(store().ClearScanResults());
  std::vector<ScanEntry> read;
  ASSERT_TRUE(store().GetScanResults(0, 1, read));
  EXPECT_TRUE(read.empty());
}

TEST_F(ScanStore, EntriesAreBoundedByCountPayloadAndPageSize) {
  std::vector<ScanEntry> entries;
  for (int i = 0; i < 40; ++i) entries.push_back(MakeScanEntry(i, -50, 1, "ap"));
  struct Case {
    uint8_t icount;
    std::size_t entriesSent;
    std::size_t cut;  // bytes removed from the end
    std::size_t stored;
  };
  const Case cases[] = {
      {3, 5, 0, 3},     // icount decides
      {5, 5, 20, 4},    // a half entry at the end is not read
      {40, 40, 0, 32},  // a page holds at most 32
      {0, 2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.icount);
    ASSERT_TRUE(store().ClearScanResults());
    auto payload = ScanPage(
        1, 0, c.icount, std::vector<ScanEntry>(entries.begin(), entries.begin() + c.entriesSent));
    payload.resize(payload.size() - c.cut);
    ASSERT_TRUE(store().StoreScanResults(payload.data(), payload.size()));
    std::vector<ScanEntry> read;
    ASSERT_TRUE(store().GetScanResults(0, 1, read));
    EXPECT_EQ(read.size(), c.stored);
  }
  const uint8_t header[2] = {1, 0};
  EXPECT_FALSE(store().StoreScanResults(header, sizeof header));
  EXPECT_FALSE(store().StoreScanResults(nullptr, 0));
}

TEST_F(ScanStore, SsidIsCutToItsAreaAndSignalKeepsItsSign) {
  ScanEntry entry = MakeScanEntry(1, -128, 165, std::string(32, 'x'));
  entry.ssid_len = 60;
  const auto payload = ScanPage(2, 1, 1, {entry});
  ASSERT_TRUE(store().StoreScanResults(payload.data(), payload.size()));
  ScanEntry read{};
  ASSERT_TRUE(store().GetScanResult("0e:00:00:00:00:01", read));
  EXPECT_EQ(read.ssid_len, 32);
  EXPECT_EQ(read.signal, -128);
  EXPECT_EQ(read.channel, 165);
}

TEST_F(DeviceStore, ThreadsWriteAndReadAtOnce) {
  constexpr int kWriters = 4;
  constexpr int kDevicesPerWriter = 60;
  std::atomic<bool> failed{false};
  std::atomic<bool> writing{true};
  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      for (int i = 0; i < kDevicesPerWriter; ++i) {
        const int index = w * 1000 + i;
        if (!store().UpsertDevice(MakeDevice(index))) failed = true;
        if (!store().UpdateKeepalive("10.1.0." + std::to_string(i), MacOf(index), i)) failed = true;
        if (!store().SetDeviceStatus(MacOf(index), kStatusRestarting)) failed = true;
        // Every writer also reports one shared device.
        if (!store().UpsertDevice(MakeDevice(999999))) failed = true;
      }
    });
  }
  for (int r = 0; r < 2; ++r) {
    threads.emplace_back([&] {
      while (writing) {
        std::vector<ap_info_stu> page;
        int pageCount = 0;
        int total = 0;
        if (!store().QueryDevicePage(1, 30, 2, 0, "10.1", page, pageCount, total)) failed = true;
        if (page.size() > 30 || total < 0) failed = true;
        ap_info_stu device{};
        if (!store().GetDevice(MacOf(999999), device)) failed = true;
      }
    });
  }
  for (int w = 0; w < kWriters; ++w) threads[w].join();
  writing = false;
  for (std::size_t t = kWriters; t < threads.size(); ++t) threads[t].join();
  EXPECT_FALSE(failed);

  std::vector<std::string> macs;
  ASSERT_TRUE(store().GetAllMacs(macs));
  EXPECT_EQ(macs.size(), std::size_t{kWriters * kDevicesPerWriter + 1});
  EXPECT_EQ(AllMacs(1, 1, "Restarting", 100).size(), std::size_t{kWriters * kDevicesPerWriter});
}

}  // namespace
