#pragma once
// Answers to commands on port 9788 (after the acknowledgement has removed the
// pending command): the result bytes that set a device's stored status, and
// the pages of a site survey. Pure functions; the engine's reply worker calls
// the store with what they return.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "store/scan_entry.h"

// A survey page holds at most this many entries.
inline constexpr std::size_t kMaxScanPageEntries = 32;
// The part of a page that is read: the header and 32 entries.
inline constexpr std::size_t kScanPageReadSize =
    kScanPageHeaderSize + kMaxScanPageEntries * kScanEntrySize;

// The status that the answer of `type` with result byte `result` sets: for
// set_bridge, reboot, factory_reset, upgrade_status and set_vlan. Nothing for
// the other types and for results that leave the status as it is.
std::optional<int> StatusFromAnswer(uint16_t type, uint8_t result);

struct ScanPage {
  // The first 1414 payload bytes, zero past the received payload, with each
  // entry's SSID converted and its length rewritten (at most 32 entries are
  // read, whatever icount claims).
  std::array<uint8_t, kScanPageReadSize> bytes{};
  bool last = false;  // packet_id is packet_count - 1
};

ScanPage ReadScanPage(std::span<const uint8_t> payload);
