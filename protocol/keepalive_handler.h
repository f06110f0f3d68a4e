#pragma once
// Keepalives (port 9787): a listed device stays online and its stored up time
// follows; it gets a keepalive back.

#include <optional>
#include <string>

#include "protocol/online_list.h"
#include "protocol/receive_queue.h"

struct KeepaliveAnswer {
  DeviceAddress device;  // the sender's address and the header's MAC
  uint32_t up_time = 0;
};

// Nothing for a device without an entry.
std::optional<KeepaliveAnswer> HandleKeepalive(COnlineList& online, const QueueRecord& record);
