#pragma once
// The columns of table ap_info and how each is written from and read into a
// Device record. One table drives the schema, the upsert and the reads, so
// they cannot disagree about order or content.
//
// Pure functions; any thread. Computing a DeviceRow translates texts, so the
// store builds it before it takes its lock.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "store/ap_info_stu.h"

class SqliteStatement;

enum class DeviceColumnKind {
  kKeyText,      // mac: the record's zero-terminated MAC text
  kUnsigned,     // integer field of 1, 2 or 4 bytes, little-endian
  kStatus,       // ap_status: the status being stored, not the record's
  kIpText,       // 4 address bytes as IpText
  kIpNumber,     // ip_num, computed from the ip field
  kMacText,      // 6 address bytes as MacText
  kText,         // text area followed by its length byte
  kDerivedText,  // a text form computed from the record
};

struct DeviceColumn {
  const char* name;
  DeviceColumnKind kind;
  std::size_t offset;  // of the record field; unused for computed columns
  std::size_t width;   // of the record field
  bool readBack;       // filled into records the store hands out
  std::string (*derive)(const ap_info_stu& device, int status);
};

// Every column except ID, in table order.
std::span<const DeviceColumn> DeviceColumns();

// CREATE TABLE ap_info with every column, plus the stored search_text column
// that the list filter matches: the fourteen searchable texts joined by
// kSearchSeparator.
std::string DeviceTableSchema();
inline constexpr char kSearchSeparator = '\x1f';

// The fourteen columns the list filter searches, in search_text order.
std::span<const char* const> SearchedDeviceColumns();

// "c1,c2,...": every column, or only those read back into records.
std::string DeviceColumnList(bool readBackOnly);

// The column values of one record, in DeviceColumns() order.
class DeviceRow {
 public:
  DeviceRow(const ap_info_stu& device, int status);
  // Binds the values to parameters first .. first + count - 1.
  bool BindTo(SqliteStatement& statement, int first = 1) const;
  // Indexes (into DeviceColumns()) of the values that differ from a row
  // selected with DeviceColumnList(false), read from result column 0 on.
  std::vector<std::size_t> ChangedColumns(const SqliteStatement& current) const;
  // Binds the values of those columns to parameters first, first + 1, ...
  bool BindColumns(SqliteStatement& statement, const std::vector<std::size_t>& columns,
                   int first = 1) const;

 private:
  std::vector<std::variant<int64_t, double, std::string>> values_;
};

// Fills the read-back fields from a row selected with DeviceColumnList(true),
// starting at result column `first`. Other fields are left as they are.
void ReadDeviceRow(const SqliteStatement& statement, ap_info_stu& device, int first = 0);
