#pragma once
// JSON forms of devices and adapters for devicectl --json. A device becomes
// one object keyed by the ap_info column names, with the values the store
// writes into those columns.

#include <string>
#include <string_view>

#include "hostnics/host_nics_info.h"
#include "store/ap_info_stu.h"
#include "store/scan_entry.h"

// A JSON string literal; invalid UTF-8 is repaired first.
std::string JsonString(std::string_view text);
std::string DeviceJson(const ap_info_stu& device);
std::string AdapterJson(const HostNicsInfo& adapter);
// A neighbour of a site survey, keyed by the ap_other_info column names.
std::string ScanEntryJson(const ScanEntry& entry);
