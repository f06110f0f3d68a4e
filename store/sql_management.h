#pragma once
// CSqlManagement: the one device store. It keeps the devices the engine has
// found (table ap_info, one row per MAC) and the access points of the last site
// survey (table ap_other_info) in a scratch SQLite database that is recreated
// empty when the store is created and removed when it is destroyed.
//
// Thread safety: every operation may be called from any thread; one lock
// serialises them and is held for each whole operation. Errors are results
// (false, an empty list), never exceptions. A store whose database could not be
// opened stays usable as an object but every operation fails.
//
// Every statement binds its values. Writes are visible to every operation at
// once; they reach the file in grouped transactions (at most about 50 ms
// apart while writes go on), since nothing else reads the scratch file.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "store/ap_info_stu.h"
#include "store/scan_entry.h"

class CSqlManagement {
 public:
  // The single store, created on first call at DefaultDatabasePath().
  static CSqlManagement& Instance();
  // $XDG_RUNTIME_DIR/<program>/data.db, else a private folder under the
  // temporary directory.
  static std::filesystem::path DefaultDatabasePath();

  // Deletes any file at the path, creates the schema and opens the database.
  explicit CSqlManagement(std::filesystem::path databasePath);
  virtual ~CSqlManagement();
  CSqlManagement(const CSqlManagement&) = delete;
  CSqlManagement& operator=(const CSqlManagement&) = delete;

  bool IsOpen() const;
  const std::filesystem::path& DatabasePath() const;

  // Runs statement text as given (up to three attempts), after committing the
  // grouped writes so that it acts on the file as any connection sees it.
  bool ExecuteSql(const std::string& statement);

  bool UpsertDevice(const ap_info_stu& device);
  bool UpdateKeepalive(const std::string& ipText, const std::string& macText, uint32_t upTime);
  bool SetDeviceStatus(const std::string& macText, int status);
  bool PromoteUpgradeWait(const std::string& macText);
  bool ClearUpgradeFail(const std::string& macText);
  bool IsUpgradeWaiting(const std::string& macText);
  int GetDeviceStatus(const std::string& macText);
  bool GetDevice(const std::string& macText, ap_info_stu& device);
  bool GetAllIps(std::vector<std::string>& ips);
  bool GetAllMacs(std::vector<std::string>& macs);
  bool DeleteDevice(const std::string& macText);
  bool HasBridgedStations(const std::string& macText);

  bool StoreScanResults(const uint8_t* payload, std::size_t length);
  bool ClearScanResults();
  bool GetScanResults(int sortKey, int ascending, std::vector<ScanEntry>& entries);
  bool GetScanResult(const std::string& macText, ScanEntry& entry);

  // One page of the devices matching the search text, ordered by the sort key.
  // Appends the page's records to `page`, sets `pageCount`, adds the number of
  // matching rows to `total`. Pages start at 1.
  bool QueryDevicePage(int sortKey, int pageSize, int pageNumber, int ascending,
                       const std::string& searchText, std::vector<ap_info_stu>& page,
                       int& pageCount, int& total);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
