#include "store/sql_management.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

#include "store/device_columns.h"
#include "store/device_list_query.h"
#include "store/device_text.h"
#include "store/sqlite_database.h"
#include "util/text_encoding.h"

namespace {

constexpr int kExecuteAttempts = 3;
constexpr std::size_t kMaxScanEntries = 32;
constexpr const char* kDatabaseFileName = "data.db";

// Sort keys of the site survey list; any other key sorts by MAC.
constexpr const char* kScanSortColumns[] = {"mac", "ssid", "channel", "secure_mode", "signal"};

constexpr const char* kScanColumns = "mac,ssid,signal,channel,secure_mode,exchannel,bandwidth";

std::string InsertDeviceStatement() {
  std::string values;
  for (std::size_t i = 1; i <= DeviceColumns().size(); ++i) {
    if (i > 1) values += ',';
    values += '?' + std::to_string(i);
  }
  return "INSERT INTO ap_info(" + DeviceColumnList(false) + ") VALUES(" + values + ")";
}

// Sets the given columns of the row whose ID is bound last.
std::string UpdateDeviceStatement(const std::vector<std::size_t>& columns) {
  std::string sql = "UPDATE ap_info SET ";
  int index = 1;
  for (std::size_t column : columns) {
    if (index > 1) sql += ',';
    sql += DeviceColumns()[column].name;
    sql += "=?" + std::to_string(index++);
  }
  return sql + " WHERE ID=?" + std::to_string(index);
}

std::vector<std::string> SchemaStatements() {
  std::vector<std::string> statements = {
      // An old file that could not be deleted is emptied instead.
      "DROP TABLE IF EXISTS ap_info",
      "DROP TABLE IF EXISTS ap_other_info",
      DeviceTableSchema(),
      "CREATE UNIQUE INDEX " + DeviceSortIndex(0) + " ON ap_info(mac)",
      std::string("CREATE INDEX ") + kSearchIndex + " ON ap_info(search_text)",
      "CREATE TABLE ap_other_info(ID INTEGER PRIMARY KEY,packet_count INTEGER,packet_id INTEGER,"
      "icount INTEGER,mac TEXT COLLATE NOCASE,ssid TEXT COLLATE NOCASE,signal INTEGER,"
      "channel INTEGER,secure_mode INTEGER,exchannel INTEGER,bandwidth INTEGER)",
      "CREATE UNIQUE INDEX ap_other_info_mac ON ap_other_info(mac)",
  };
  // Every sort key reads its page straight from its index; the key 0 column,
  // mac, has its unique index already.
  for (int key = 1; key < kDeviceSortKeyCount; ++key) {
    statements.push_back("CREATE INDEX " + DeviceSortIndex(key) + " ON ap_info(" +
                         DeviceSortColumn(key) + ")");
  }
  return statements;
}

// A directory only this user can enter, made when missing.
bool MakePrivateDirectory(const std::filesystem::path& directory) {
  ::mkdir(directory.c_str(), 0700);
  struct stat info {};
  if (::lstat(directory.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

void FillScanEntry(const SqliteStatement& row, ScanEntry& entry) {
  entry = {};
  const MacBytes mac = ParseMacText(row.ColumnText(0));
  std::memcpy(entry.mac, mac.data(), mac.size());
  const std::string_view ssid = CutAtCharacterBoundary(row.ColumnText(1), sizeof entry.ssid);
  std::memcpy(entry.ssid, ssid.data(), ssid.size());
  entry.ssid_len = static_cast<uint8_t>(ssid.size());
  entry.signal = static_cast<int8_t>(static_cast<uint8_t>(row.ColumnInt(2)));
  entry.channel = static_cast<uint8_t>(row.ColumnInt(3));
  entry.secure_mode = static_cast<uint8_t>(row.ColumnInt(4));
  entry.exchannel = static_cast<uint8_t>(row.ColumnInt(5));
  entry.bandwidth = static_cast<uint8_t>(row.ColumnInt(6));
}

}  // namespace

struct CSqlManagement::Impl {
  std::filesystem::path path;
  std::mutex lock;
  SqliteDatabase database;
  const std::string insertDevice = InsertDeviceStatement();
  const std::string selectStoredDevice =
      "SELECT " + DeviceColumnList(false) + ",ID FROM ap_info WHERE mac=?1";
  const std::string readColumns = DeviceColumnList(true);

  // One operation under the lock. Its statements, declared after it, are
  // reset before it ends; then a write transaction that is due is committed.
  class Operation {
   public:
    explicit Operation(Impl& impl) : impl_(impl), guard_(impl.lock) {}
    ~Operation() { impl_.database.CommitIfDue(); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

   private:
    Impl& impl_;
    std::lock_guard<std::mutex> guard_;
  };

  // Up to three attempts, each under the lock, as ExecuteSql makes them.
  template <typename Attempt>
  bool WithRetries(Attempt attempt) {
    for (int i = 0; i < kExecuteAttempts; ++i) {
      Operation operation(*this);
      if (!database.IsOpen()) return false;
      if (attempt()) return true;
    }
    return false;
  }

  // A change inside the grouped write transaction.
  template <typename Change>
  bool Write(Change change) {
    if (!database.BeginWrite()) return false;
    const bool changed = change();
    database.EndWrite();
    return changed;
  }

  // Runs an UPDATE of one device's row; true when a row was changed.
  template <typename Binder>
  bool UpdateRow(const std::string& sql, Binder bind) {
    Operation operation(*this);
    return Write([&] {
      auto statement = database.Statement(sql);
      if (!statement || !bind(*statement)) return false;
      return statement->Run() && database.Changes() > 0;
    });
  }
};

CSqlManagement& CSqlManagement::Instance() {
  static CSqlManagement store(DefaultDatabasePath());
  return store;
}

std::filesystem::path CSqlManagement::DefaultDatabasePath() {
  const std::string program = APP_PROGRAM_NAME;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/') {
    const std::filesystem::path directory = std::filesystem::path(runtime) / program;
    if (MakePrivateDirectory(directory)) return directory / kDatabaseFileName;
  }
  std::error_code error;
  std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
  if (error) temporary = "/tmp";
  const std::filesystem::path directory = temporary / (program + "-" + std::to_string(::geteuid()));
  if (MakePrivateDirectory(directory)) return directory / kDatabaseFileName;
  // Someone else holds that name: take a fresh directory of our own.
  std::string pattern = (temporary / (program + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) != nullptr)
    return std::filesystem::path(pattern) / kDatabaseFileName;
  return directory / kDatabaseFileName;
}

CSqlManagement::CSqlManagement(std::filesystem::path databasePath)
    : impl_(std::make_unique<Impl>()) {
  impl_->path = std::move(databasePath);
  // unlink, not remove: a directory at the path must never be deleted.
  ::unlink(impl_->path.c_str());
  if (!impl_->database.Open(impl_->path)) return;
  for (const std::string& statement : SchemaStatements()) {
    if (!ExecuteSql(statement)) {
      // Without its tables the store is unusable; say so through IsOpen().
      std::lock_guard guard(impl_->lock);
      impl_->database.Close();
      return;
    }
  }
}

CSqlManagement::~CSqlManagement() {
  {
    // Writes not yet committed go with the file.
    std::lock_guard guard(impl_->lock);
    impl_->database.Close();
  }
  ::unlink(impl_->path.c_str());
}

bool CSqlManagement::IsOpen() const {
  std::lock_guard guard(impl_->lock);
  return impl_->database.IsOpen();
}

const std::filesystem::path& CSqlManagement::DatabasePath() const { return impl_->path; }

bool CSqlManagement::ExecuteSql(const std::string& statement) {
  return impl_->WithRetries([&] {
    // The statement acts on the file as every connection sees it, and may
    // manage transactions of its own.
    impl_->database.CommitPending();
    return impl_->database.Execute(statement);
  });
}

bool CSqlManagement::UpsertDevice(const ap_info_stu& device) {
  const DeviceRow row(device, kStatusOnline);
  Impl::Operation operation(*impl_);
  SqliteDatabase& database = impl_->database;
  return impl_->Write([&] {
    // A report mostly repeats what is stored: writing only the columns that
    // differ leaves the indexes of the others alone, and the row ends up the
    // same as if every column had been written.
    std::vector<std::size_t> changed;
    int64_t id = 0;
    {
      auto stored = database.Statement(impl_->selectStoredDevice);
      if (!stored ||
          !stored->Bind(1, std::string_view(device.mac, strnlen(device.mac, sizeof device.mac)))) {
        return false;
      }
      switch (stored->Step()) {
        case SqliteStatement::StepResult::kRow:
          changed = row.ChangedColumns(*stored);
          id = stored->ColumnInt(static_cast<int>(DeviceColumns().size()));
          break;
        case SqliteStatement::StepResult::kDone: {
          auto insert = database.Statement(impl_->insertDevice);
          return insert && row.BindTo(*insert) && insert->Run();
        }
        case SqliteStatement::StepResult::kError:
          return false;
      }
    }
    if (changed.empty()) return true;
    auto update = database.Statement(UpdateDeviceStatement(changed));
    return update && row.BindColumns(*update, changed) &&
           update->Bind(static_cast<int>(changed.size()) + 1, id) && update->Run();
  });
}

bool CSqlManagement::UpdateKeepalive(const std::string& ipText, const std::string& macText,
                                     uint32_t upTime) {
  const std::string upTimeText = UpTimeText(upTime);
  const IpBytes ip = ParseIpText(ipText);
  const double ipNumber = IpNumber(ip.data());
  return impl_->UpdateRow(
      "UPDATE ap_info SET up_time=?1,up_time_str=?2,mac=?3,ip=?4,ip_num=?5 WHERE mac=?3",
      [&](SqliteStatement& s) {
        return s.Bind(1, int64_t{upTime}) && s.Bind(2, upTimeText) && s.Bind(3, macText) &&
               s.Bind(4, ipText) && s.Bind(5, ipNumber);
      });
}

bool CSqlManagement::SetDeviceStatus(const std::string& macText, int status) {
  const std::string statusText = StatusText(status);
  return impl_->UpdateRow("UPDATE ap_info SET ap_status=?1,ap_status_str=?2,mac=?3 WHERE mac=?3",
                          [&](SqliteStatement& s) {
                            return s.Bind(1, int64_t{status}) && s.Bind(2, statusText) &&
                                   s.Bind(3, macText);
                          });
}

bool CSqlManagement::PromoteUpgradeWait(const std::string& macText) {
  const std::string statusText = StatusText(kStatusUpgrading);
  return impl_->UpdateRow(
      "UPDATE ap_info SET ap_status=7,ap_status_str=?1,mac=?2 WHERE mac=?2 AND ap_status=6",
      [&](SqliteStatement& s) { return s.Bind(1, statusText) && s.Bind(2, macText); });
}

bool CSqlManagement::ClearUpgradeFail(const std::string& macText) {
  const std::string statusText = StatusText(kStatusOnline);
  return impl_->UpdateRow(
      "UPDATE ap_info SET ap_status=1,ap_status_str=?1 WHERE mac=?2 AND ap_status=9",
      [&](SqliteStatement& s) { return s.Bind(1, statusText) && s.Bind(2, macText); });
}

bool CSqlManagement::IsUpgradeWaiting(const std::string& macText) {
  Impl::Operation operation(*impl_);
  auto statement = impl_->database.Statement("SELECT 1 FROM ap_info WHERE mac=?1 AND ap_status=6");
  return statement && statement->Bind(1, macText) &&
         statement->Step() == SqliteStatement::StepResult::kRow;
}

int CSqlManagement::GetDeviceStatus(const std::string& macText) {
  Impl::Operation operation(*impl_);
  auto statement = impl_->database.Statement("SELECT ap_status FROM ap_info WHERE mac=?1");
  if (!statement || !statement->Bind(1, macText) ||
      statement->Step() != SqliteStatement::StepResult::kRow) {
    return 0;
  }
  return static_cast<int>(statement->ColumnInt(0));
}

bool CSqlManagement::GetDevice(const std::string& macText, ap_info_stu& device) {
  device = {};
  const std::string select = "SELECT " + impl_->readColumns + " FROM ap_info";
  Impl::Operation operation(*impl_);
  auto statement = impl_->database.Statement(macText.empty() ? select + " ORDER BY ID LIMIT 1"
                                                             : select + " WHERE mac=?1");
  if (!statement) return false;
  if (!macText.empty() && !statement->Bind(1, macText)) return false;
  switch (statement->Step()) {
    case SqliteStatement::StepResult::kRow:
      ReadDeviceRow(*statement, device);
      return true;
    case SqliteStatement::StepResult::kDone:
      return true;
    case SqliteStatement::StepResult::kError:
      break;
  }
  device = {};
  return false;
}

namespace {

// Every value of a one-column query, in row order; false on a failed query.
bool ReadTexts(SqliteDatabase& database, const std::string& sql, std::vector<std::string>& texts) {
  auto statement = database.Statement(sql);
  if (!statement) return false;
  std::vector<std::string> read;
  for (;;) {
    switch (statement->Step()) {
      case SqliteStatement::StepResult::kRow:
        read.emplace_back(statement->ColumnText(0));
        continue;
      case SqliteStatement::StepResult::kDone:
        texts.insert(texts.end(), std::make_move_iterator(read.begin()),
                     std::make_move_iterator(read.end()));
        return true;
      case SqliteStatement::StepResult::kError:
        return false;
    }
  }
}

}  // namespace

bool CSqlManagement::GetAllIps(std::vector<std::string>& ips) {
  Impl::Operation operation(*impl_);
  return ReadTexts(impl_->database, "SELECT ip FROM ap_info ORDER BY ID", ips);
}

bool CSqlManagement::GetAllMacs(std::vector<std::string>& macs) {
  Impl::Operation operation(*impl_);
  return ReadTexts(impl_->database, "SELECT mac FROM ap_info ORDER BY ID", macs);
}

bool CSqlManagement::DeleteDevice(const std::string& macText) {
  return impl_->WithRetries([&] {
    return impl_->Write([&] {
      auto statement = impl_->database.Statement("DELETE FROM ap_info WHERE mac=?1");
      return statement && statement->Bind(1, macText) && statement->Run();
    });
  });
}

bool CSqlManagement::HasBridgedStations(const std::string& macText) {
  Impl::Operation operation(*impl_);
  std::string ssidMac;
  {
    auto device = impl_->database.Statement("SELECT ssid_mac FROM ap_info WHERE mac=?1");
    if (!device || !device->Bind(1, macText) ||
        device->Step() != SqliteStatement::StepResult::kRow) {
      return false;
    }
    ssidMac = device->ColumnText(0);
  }
  auto stations =
      impl_->database.Statement("SELECT 1 FROM ap_info WHERE work_mode=?1 AND bridge_mac=?2");
  return stations && stations->Bind(1, int64_t{kWorkModeStation}) && stations->Bind(2, ssidMac) &&
         stations->Step() == SqliteStatement::StepResult::kRow;
}

bool CSqlManagement::StoreScanResults(const uint8_t* payload, std::size_t length) {
  if (payload == nullptr || length < kScanPageHeaderSize) return false;
  const uint8_t packetCount = payload[0];
  const uint8_t packetId = payload[1];
  const uint8_t icount = payload[2];
  const std::size_t count = std::min(
      {std::size_t{icount}, kMaxScanEntries, (length - kScanPageHeaderSize) / kScanEntrySize});

  Impl::Operation operation(*impl_);
  SqliteDatabase& database = impl_->database;
  return impl_->Write([&] {
    // A page is stored whole or not at all.
    if (!database.Execute("SAVEPOINT scan_page")) return false;
    bool stored = true;
    for (std::size_t i = 0; i < count && stored; ++i) {
      ScanEntry entry;
      std::memcpy(&entry, payload + kScanPageHeaderSize + i * kScanEntrySize, sizeof entry);
      const std::string_view ssid =
          CutAtCharacterBoundary(std::string_view(entry.ssid, sizeof entry.ssid),
                                 std::min<std::size_t>(entry.ssid_len, sizeof entry.ssid));
      auto statement = database.Statement(
          "INSERT INTO ap_other_info(packet_count,packet_id,icount,mac,ssid,signal,channel,"
          "secure_mode,exchannel,bandwidth) VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10) "
          "ON CONFLICT(mac) DO UPDATE SET packet_count=excluded.packet_count,"
          "packet_id=excluded.packet_id,icount=excluded.icount,mac=excluded.mac,"
          "ssid=excluded.ssid,signal=excluded.signal,channel=excluded.channel,"
          "secure_mode=excluded.secure_mode,exchannel=excluded.exchannel,"
          "bandwidth=excluded.bandwidth");
      stored = statement && statement->Bind(1, int64_t{packetCount}) &&
               statement->Bind(2, int64_t{packetId}) && statement->Bind(3, int64_t{icount}) &&
               statement->Bind(4, MacText(entry.mac)) && statement->Bind(5, ssid) &&
               statement->Bind(6, int64_t{entry.signal}) &&
               statement->Bind(7, int64_t{entry.channel}) &&
               statement->Bind(8, int64_t{entry.secure_mode}) &&
               statement->Bind(9, int64_t{entry.exchannel}) &&
               statement->Bind(10, int64_t{entry.bandwidth}) && statement->Run();
    }
    if (stored && database.Execute("RELEASE scan_page")) return true;
    database.Execute("ROLLBACK TO scan_page");
    database.Execute("RELEASE scan_page");
    return false;
  });
}

bool CSqlManagement::ClearScanResults() {
  return impl_->WithRetries([&] {
    return impl_->Write([&] {
      auto statement = impl_->database.Statement("DELETE FROM ap_other_info");
      return statement && statement->Run();
    });
  });
}

bool CSqlManagement::GetScanResults(int sortKey, int ascending, std::vector<ScanEntry>& entries) {
  const bool validKey = sortKey >= 0 && sortKey < static_cast<int>(std::size(kScanSortColumns));
  const std::string column = kScanSortColumns[validKey ? sortKey : 0];
  const std::string direction = ascending != 0 ? " ASC" : " DESC";
  const std::string sql = std::string("SELECT ") + kScanColumns + " FROM ap_other_info ORDER BY " +
                          column + direction + ",ID" + direction;
  Impl::Operation operation(*impl_);
  auto statement = impl_->database.Statement(sql);
  if (!statement) return false;
  std::vector<ScanEntry> read;
  for (;;) {
    switch (statement->Step()) {
      case SqliteStatement::StepResult::kRow:
        FillScanEntry(*statement, read.emplace_back());
        continue;
      case SqliteStatement::StepResult::kDone:
        entries.insert(entries.end(), read.begin(), read.end());
        return true;
      case SqliteStatement::StepResult::kError:
        return false;
    }
  }
}

bool CSqlManagement::GetScanResult(const std::string& macText, ScanEntry& entry) {
  entry = {};
  Impl::Operation operation(*impl_);
  auto statement = impl_->database.Statement(std::string("SELECT ") + kScanColumns +
                                             " FROM ap_other_info WHERE mac=?1");
  if (!statement || !statement->Bind(1, macText)) return false;
  switch (statement->Step()) {
    case SqliteStatement::StepResult::kRow:
      FillScanEntry(*statement, entry);
      return true;
    case SqliteStatement::StepResult::kDone:
      return true;
    case SqliteStatement::StepResult::kError:
      return false;
  }
  return false;
}

bool CSqlManagement::QueryDevicePage(int sortKey, int pageSize, int pageNumber, int ascending,
                                     const std::string& searchText, std::vector<ap_info_stu>& page,
                                     int& pageCount, int& total) {
  if (pageSize <= 0) return false;
  // A C string's search text ends at its first zero byte.
  const std::string_view search(searchText.c_str());
  const std::string pattern = ContainsPattern(search);
  const std::string countSql = DeviceCountStatement(search);
  const std::string pageSql = DevicePageStatement(sortKey, ascending != 0, search);

  Impl::Operation operation(*impl_);
  SqliteDatabase& database = impl_->database;
  int64_t matching = -1;
  std::vector<ap_info_stu> records;
  if (pageNumber >= 1) {
    auto rows = database.Statement(pageSql);
    if (!rows || (!search.empty() && !rows->Bind(1, pattern)) ||
        !rows->Bind(2, int64_t{pageSize}) || !rows->Bind(3, (int64_t{pageNumber} - 1) * pageSize)) {
      return false;
    }
    records.reserve(static_cast<std::size_t>(std::min(pageSize, 128)));
    for (bool more = true; more;) {
      switch (rows->Step()) {
        case SqliteStatement::StepResult::kRow:
          matching = rows->ColumnInt(0);
          ReadDeviceRow(*rows, records.emplace_back(ap_info_stu{}), 1);
          break;
        case SqliteStatement::StepResult::kDone:
          more = false;
          break;
        case SqliteStatement::StepResult::kError:
          return false;
      }
    }
  }
  if (records.empty()) {
    // A page past the end still tells how many rows match.
    auto count = database.Statement(countSql);
    if (!count || (!search.empty() && !count->Bind(1, pattern)) ||
        count->Step() != SqliteStatement::StepResult::kRow) {
      return false;
    }
    matching = count->ColumnInt(0);
  }

  page.insert(page.end(), records.begin(), records.end());
  pageCount = static_cast<int>(matching / pageSize + (matching % pageSize != 0 ? 1 : 0));
  total += static_cast<int>(matching);
  return true;
}
