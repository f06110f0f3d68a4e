#pragma once
// Full reports (device_info, port 9788): an accepted report updates the
// device's online entry and gives the Device record to store.

#include <optional>
#include <span>

#include "protocol/datagram.h"
#include "protocol/online_list.h"
#include "protocol/receive_queue.h"
#include "store/ap_info_stu.h"

// The Device record of a report: MAC text, the header's model, status 0 and
// the payload (at most 756 bytes) from offset 24, with the name, SSID and
// bridge SSID converted to the local code page.
ap_info_stu BuildDeviceRecord(const DatagramHeader& header, std::span<const uint8_t> payload);

// The record to store, or nothing when the report is ignored: its device has
// no entry, or another reported device holds the address it names.
std::optional<ap_info_stu> HandleReport(COnlineList& online, const QueueRecord& record);
