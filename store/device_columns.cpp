#include "store/device_columns.h"

#include <cstring>
#include <string_view>
#include <type_traits>

#include "store/device_text.h"
#include "store/sqlite_statement.h"
#include "util/text_encoding.h"

namespace {

using Kind = DeviceColumnKind;

const uint8_t* Bytes(const ap_info_stu& device, std::size_t offset) {
  return reinterpret_cast<const uint8_t*>(&device) + offset;
}
uint8_t* Bytes(ap_info_stu& device, std::size_t offset) {
  return reinterpret_cast<uint8_t*>(&device) + offset;
}

uint32_t ReadLittleEndian(const uint8_t* bytes, std::size_t width) {
  uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

void WriteLittleEndian(uint8_t* bytes, std::size_t width, uint64_t value) {
  for (std::size_t i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string ModelColumn(const ap_info_stu& d, int) { return ModelText(d.ap_type); }
std::string StatusColumn(const ap_info_stu&, int status) { return StatusText(status); }
std::string WorkModeColumn(const ap_info_stu& d, int) { return WorkModeText(d.work_mode); }
std::string UpTimeColumn(const ap_info_stu& d, int) { return UpTimeText(d.up_time); }
std::string SecureModeColumn(const ap_info_stu& d, int) { return SecureModeText(d.secure_mode); }
std::string TransparentBridgeColumn(const ap_info_stu& d, int) {
  return TransparentBridgeText(d.ap_type, d.work_mode, d.bridge_transparent);
}
std::string TdmaColumn(const ap_info_stu& d, int) { return TdmaText(d.ap_type, d.tdmaEn); }

#define FIELD(f) offsetof(ap_info_stu, f), sizeof(ap_info_stu::f)
#define NUMBER(f) \
  { #f, Kind::kUnsigned, FIELD(f), true, nullptr }
#define TEXT(f) \
  { #f, Kind::kText, FIELD(f), true, nullptr }
#define IP(f) \
  { #f, Kind::kIpText, FIELD(f), true, nullptr }
#define DERIVED(name, function) \
  { name, Kind::kDerivedText, 0, 0, false, function }

// Table order; the bridge peer fields are stored but never read back.
constexpr DeviceColumn kColumns[] = {
    {"mac", Kind::kKeyText, FIELD(mac), true, nullptr},
    NUMBER(ap_type),
    DERIVED("ap_type_str", ModelColumn),
    {"ap_status", Kind::kStatus, FIELD(ap_status), true, nullptr},
    DERIVED("ap_status_str", StatusColumn),
    NUMBER(work_mode),
    DERIVED("work_mode_str", WorkModeColumn),
    NUMBER(mode_btn_status),
    NUMBER(up_time),
    DERIVED("up_time_str", UpTimeColumn),
    NUMBER(ip_mode),
    {"ip_num", Kind::kIpNumber, FIELD(ip), false, nullptr},
    IP(ip),
    IP(ip_mask),
    IP(ip_gateway),
    IP(ip_dns1),
    IP(ip_dns2),
    TEXT(ap_name),
    TEXT(version),
    NUMBER(restart_en),
    NUMBER(restart_type),
    NUMBER(restart_time),
    NUMBER(rf_count),
    NUMBER(rf_en),
    NUMBER(rf_type),
    NUMBER(country_code),
    NUMBER(network_mode),
    NUMBER(bandwidth),
    NUMBER(channel),
    NUMBER(expand_channel),
    NUMBER(tx_power),
    NUMBER(tx_power_min),
    NUMBER(tx_power_max),
    NUMBER(ssid_count),
    NUMBER(ssid_rf_type),
    NUMBER(ssid_id),
    NUMBER(ssid_hide),
    {"ssid_mac", Kind::kMacText, FIELD(ssid_mac), true, nullptr},
    TEXT(ssid),
    NUMBER(secure_mode),
    DERIVED("secure_mode_str", SecureModeColumn),
    NUMBER(wpapsk_auth_type),
    TEXT(wpapsk_key_value),
    NUMBER(wpapsk_key_time),
    NUMBER(wep_auth_type),
    NUMBER(wep_key_index),
    TEXT(wep_key_value0),
    NUMBER(wep_key_type0),
    TEXT(wep_key_value1),
    NUMBER(wep_key_type1),
    TEXT(wep_key_value2),
    NUMBER(wep_key_type2),
    TEXT(wep_key_value3),
    NUMBER(wep_key_type3),
    NUMBER(wpa_auth_type),
    IP(wpa_radius_ip),
    NUMBER(wpa_radius_port),
    TEXT(wpa_key),
    NUMBER(wpa_key_time),
    {"bridge_work_mode", Kind::kUnsigned, FIELD(bridge_work_mode), false, nullptr},
    {"bridge_mac", Kind::kMacText, FIELD(bridge_mac), false, nullptr},
    {"bridge_channel", Kind::kUnsigned, FIELD(bridge_channel), false, nullptr},
    {"bridge_ssid", Kind::kText, FIELD(bridge_ssid), false, nullptr},
    NUMBER(vlan_en),
    NUMBER(vlan_id),
    NUMBER(vlan_id_wlan),
    NUMBER(vlan_id_lan),
    NUMBER(bridge_transparent),
    DERIVED("bridge_transparent_str", TransparentBridgeColumn),
    NUMBER(tdmaEn),
    DERIVED("tdmaEn_str", TdmaColumn),
    NUMBER(vlan_pvid),
    NUMBER(vlan_id_lan3),
    NUMBER(vlan_id_lan4),
};

#undef FIELD
#undef NUMBER
#undef TEXT
#undef IP
#undef DERIVED

constexpr const char* kSearchedColumns[] = {
    "ap_name",       "ip",
    "mac",           "ssid",
    "version",       "work_mode_str",
    "channel",       "ap_type_str",
    "tx_power",      "bridge_transparent_str",
    "tdmaEn_str",    "up_time_str",
    "ap_status_str", "secure_mode_str",
};

const char* SqlType(Kind kind) {
  switch (kind) {
    case Kind::kUnsigned:
    case Kind::kStatus:
      return "INTEGER";
    case Kind::kIpNumber:
      return "REAL";
    default:
      return "TEXT COLLATE NOCASE";
  }
}

// The record's text area: its first n bytes, n its length byte but at most
// the area, without a character cut in half by n.
std::string_view AreaText(const ap_info_stu& device, const DeviceColumn& column) {
  const auto* area = reinterpret_cast<const char*>(Bytes(device, column.offset));
  const std::size_t length =
      std::min<std::size_t>(*Bytes(device, column.offset + column.width), column.width);
  return CutAtCharacterBoundary(std::string_view(area, column.width), length);
}

}  // namespace

std::span<const DeviceColumn> DeviceColumns() { return kColumns; }

std::span<const char* const> SearchedDeviceColumns() { return kSearchedColumns; }

std::string DeviceTableSchema() {
  std::string sql = "CREATE TABLE ap_info(ID INTEGER PRIMARY KEY";
  for (const DeviceColumn& column : kColumns) {
    sql += ',';
    sql += column.name;
    sql += ' ';
    sql += SqlType(column.kind);
  }
  sql += ",search_text TEXT GENERATED ALWAYS AS (";
  bool first = true;
  for (const char* name : kSearchedColumns) {
    if (!first) sql += "||char(31)||";
    first = false;
    sql += "ifnull(";
    sql += name;
    sql += ",'')";
  }
  sql += ") STORED)";
  return sql;
}

std::string DeviceColumnList(bool readBackOnly) {
  std::string list;
  for (const DeviceColumn& column : kColumns) {
    if (readBackOnly && !column.readBack) continue;
    if (!list.empty()) list += ',';
    list += column.name;
  }
  return list;
}

DeviceRow::DeviceRow(const ap_info_stu& device, int status) {
  values_.reserve(std::size(kColumns));
  for (const DeviceColumn& column : kColumns) {
    const uint8_t* field = Bytes(device, column.offset);
    switch (column.kind) {
      case Kind::kKeyText:
        values_.emplace_back(std::string(device.mac, strnlen(device.mac, sizeof device.mac)));
        break;
      case Kind::kUnsigned:
        values_.emplace_back(int64_t{ReadLittleEndian(field, column.width)});
        break;
      case Kind::kStatus:
        values_.emplace_back(int64_t{status});
        break;
      case Kind::kIpText:
        values_.emplace_back(IpText(field));
        break;
      case Kind::kIpNumber:
        values_.emplace_back(static_cast<double>(IpNumber(field)));
        break;
      case Kind::kMacText:
        values_.emplace_back(MacText(field));
        break;
      case Kind::kText:
        values_.emplace_back(std::string(AreaText(device, column)));
        break;
      case Kind::kDerivedText:
        values_.emplace_back(column.derive(device, status));
        break;
    }
  }
}

bool DeviceRow::BindTo(SqliteStatement& statement, int first) const {
  int index = first;
  for (const auto& value : values_) {
    const bool bound = std::visit([&](const auto& v) { return statement.Bind(index, v); }, value);
    if (!bound) return false;
    ++index;
  }
  return true;
}

std::vector<std::size_t> DeviceRow::ChangedColumns(const SqliteStatement& current) const {
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < values_.size(); ++i) {
    const int column = static_cast<int>(i);
    const bool same = std::visit(
        [&](const auto& v) {
          using Value = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<Value, int64_t>) return current.ColumnInt(column) == v;
          if constexpr (std::is_same_v<Value, double>) return current.ColumnDouble(column) == v;
          if constexpr (std::is_same_v<Value, std::string>) return current.ColumnText(column) == v;
        },
        values_[i]);
    if (!same) changed.push_back(i);
  }
  return changed;
}

bool DeviceRow::BindColumns(SqliteStatement& statement, const std::vector<std::size_t>& columns,
                            int first) const {
  int index = first;
  for (std::size_t column : columns) {
    const bool bound =
        std::visit([&](const auto& v) { return statement.Bind(index, v); }, values_.at(column));
    if (!bound) return false;
    ++index;
  }
  return true;
}

void ReadDeviceRow(const SqliteStatement& statement, ap_info_stu& device, int first) {
  int index = first;
  for (const DeviceColumn& column : kColumns) {
    if (!column.readBack) continue;
    uint8_t* field = Bytes(device, column.offset);
    switch (column.kind) {
      case Kind::kKeyText: {
        // Keep room for the terminating zero.
        const std::string_view text =
            CutAtCharacterBoundary(statement.ColumnText(index), column.width - 1);
        std::memset(field, 0, column.width);
        std::memcpy(field, text.data(), text.size());
        break;
      }
      case Kind::kUnsigned:
      case Kind::kStatus:
        WriteLittleEndian(field, column.width, static_cast<uint64_t>(statement.ColumnInt(index)));
        break;
      case Kind::kIpText: {
        const IpBytes ip = ParseIpText(statement.ColumnText(index));
        std::memcpy(field, ip.data(), ip.size());
        break;
      }
      case Kind::kMacText: {
        const MacBytes mac = ParseMacText(statement.ColumnText(index));
        std::memcpy(field, mac.data(), mac.size());
        break;
      }
      case Kind::kText: {
        const std::string_view text =
            CutAtCharacterBoundary(statement.ColumnText(index), column.width);
        std::memset(field, 0, column.width);
        std::memcpy(field, text.data(), text.size());
        field[column.width] = static_cast<uint8_t>(text.size());
        break;
      }
      case Kind::kIpNumber:
      case Kind::kDerivedText:
        break;
    }
    ++index;
  }
}
