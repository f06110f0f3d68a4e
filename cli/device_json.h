#pragma once
// JSON forms of devices and adapters for devicectl --json. A device becomes
// one object keyed by the ap_info column names, with the values the store
// writes into those columns.

#include <string>
#include <string_view>

#include "hostnics/host_nics_info.h"
#include "store/ap_info_stu.h"

// A JSON string literal; invalid UTF-8 is repaired first.
std::string JsonString(std::string_view text);
std::string DeviceJson(const ap_info_stu& device);
std::string AdapterJson(const HostNicsInfo& adapter);
