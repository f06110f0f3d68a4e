#include "store/device_list_query.h"

#include "store/device_columns.h"

namespace {

constexpr const char* kSortColumns[] = {
    "mac",         "ip_num",  "ap_name",  "ap_type", "work_mode",
    "ssid",        "channel", "secure_mode", "tx_power", "version",
    "bridge_transparent", "tdmaEn", "up_time", "ap_status",
};

std::string WhereClause(std::string_view searchText) {
  if (searchText.empty()) return {};
  return " WHERE " + DeviceSearchCondition(searchText);
}

}  // namespace

const char* DeviceSortColumn(int sortKey) {
  static_assert(std::size(kSortColumns) == kDeviceSortKeyCount);
  if (sortKey < 0 || sortKey >= kDeviceSortKeyCount) return kSortColumns[1];
  return kSortColumns[sortKey];
}

std::string ContainsPattern(std::string_view text) {
  std::string pattern = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  pattern += '%';
  return pattern;
}

std::string DeviceSearchCondition(std::string_view text) {
  if (text.find(kSearchSeparator) == std::string_view::npos) {
    return "search_text LIKE ?1 ESCAPE '\\'";
  }
  std::string condition;
  for (const char* column : SearchedDeviceColumns()) {
    if (!condition.empty()) condition += " OR ";
    condition += column;
    condition += " LIKE ?1 ESCAPE '\\'";
  }
  return "(" + condition + ")";
}

std::string DeviceCountStatement(std::string_view searchText) {
  return "SELECT count(*) FROM ap_info" + WhereClause(searchText);
}

std::string DevicePageStatement(int sortKey, bool ascending, std::string_view searchText) {
  const std::string direction = ascending ? " ASC" : " DESC";
  return "SELECT " + DeviceColumnList(true) + " FROM ap_info" + WhereClause(searchText) +
         " ORDER BY " + DeviceSortColumn(sortKey) + direction + ",ID" + direction +
         " LIMIT ?2 OFFSET ?3";
}
