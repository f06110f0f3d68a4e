#pragma once
// Statement texts of the device list queries: the sort column of a sort key,
// the search filter and its LIKE pattern. The search text is always bound as
// parameter ?1, never pasted into a statement. Pure functions; any thread.

#include <string>
#include <string_view>

// The ap_info column of a sort key 0..kDeviceSortKeyCount-1; any other key
// sorts by ip_num, the column of key 1.
inline constexpr int kDeviceSortKeyCount = 14;
const char* DeviceSortColumn(int sortKey);

// The index that orders rows by a sort key ("ap_info_by_<column>"), and the
// one over search_text that the filter scans instead of the whole table.
std::string DeviceSortIndex(int sortKey);
inline constexpr const char* kSearchIndex = "ap_info_by_search_text";

// A LIKE pattern (with ESCAPE '\') that finds the text literally anywhere in a
// column: '%', '_' and '\' in the text match only themselves.
std::string ContainsPattern(std::string_view text);

// The WHERE condition for a non-empty search text, comparing against ?1 bound
// to ContainsPattern(text). Usually one match on the stored search_text
// column; a text holding its separator byte is matched column by column.
std::string DeviceSearchCondition(std::string_view text);

// "SELECT count(*) ..." and the page statement (LIMIT ?2 OFFSET ?3) for the
// records of one page, ties ordered by ID in the same direction so that pages
// never overlap. Each page row starts with the number of matching rows, then
// the DeviceColumnList(true) columns. The page walks the sort key's index and
// reads only the rows of the page; with a search text the filter runs once,
// over the small search index, and each index entry is checked against the
// IDs it found.
std::string DeviceCountStatement(std::string_view searchText);
std::string DevicePageStatement(int sortKey, bool ascending, std::string_view searchText);
