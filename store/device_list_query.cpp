#include "store/device_list_query.h"

#include "store/device_columns.h"

namespace {

constexpr const char* kSortColumns[] = {
    "mac",     "ip_num",      "ap_name",  "ap_type", "work_mode",          "ssid",
    "channel", "secure_mode", "tx_power", "version", "bridge_transparent", "tdmaEn",
    "up_time", "ap_status",
};

// The rows matching a non-empty search text.
std::string MatchingRows(std::string_view searchText) {
  const std::string condition = DeviceSearchCondition(searchText);
  if (searchText.find(kSearchSeparator) == std::string_view::npos) {
    return std::string(" FROM ap_info INDEXED BY ") + kSearchIndex + " WHERE " + condition;
  }
  return " FROM ap_info WHERE " + condition;
}

}  // namespace

const char* DeviceSortColumn(int sortKey) {
  static_assert(std::size(kSortColumns) == kDeviceSortKeyCount);
  if (sortKey < 0 || sortKey >= kDeviceSortKeyCount) return kSortColumns[1];
  return kSortColumns[sortKey];
}

std::string DeviceSortIndex(int sortKey) {
  return std::string("ap_info_by_") + DeviceSortColumn(sortKey);
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
  if (searchText.empty()) return "SELECT count(*) FROM ap_info";
  return "SELECT count(*)" + MatchingRows(searchText);
}

std::string DevicePageStatement(int sortKey, bool ascending, std::string_view searchText) {
  const std::string direction = ascending ? " ASC" : " DESC";
  const std::string rows = " FROM ap_info INDEXED BY " + DeviceSortIndex(sortKey);
  const std::string order = " ORDER BY " + std::string(DeviceSortColumn(sortKey)) + direction +
                            ",ID" + direction + " LIMIT ?2 OFFSET ?3";
  const std::string columns = DeviceColumnList(true);
  if (searchText.empty()) {
    return "SELECT (SELECT count(*) FROM ap_info)," + columns + rows + order;
  }
  return "WITH matching(id) AS MATERIALIZED (SELECT ID" + MatchingRows(searchText) +
         ") SELECT (SELECT count(*) FROM matching)," + columns + rows + " WHERE ID IN matching" +
         order;
}
