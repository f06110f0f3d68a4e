#pragma once
// Announcements (discover from a device, port 9785): the device enters or
// refreshes the online list and gets an answer.

#include <optional>
#include <string>

#include "protocol/online_list.h"
#include "protocol/receive_queue.h"

struct AnnouncementAnswer {
  DeviceAddress device;
  // A new device, or one announcing from another address than its report
  // gave, is asked for its full report after the discover answer.
  bool request_report = false;
};

// Applies one queued announcement to the list. No answer for an all-zero MAC
// or a new device that the full list cannot take.
std::optional<AnnouncementAnswer> HandleAnnouncement(COnlineList& online, const QueueRecord& record);
