#pragma once
// A device's site survey: the neighbouring access points it finds and the
// result pages it answers with. Pure functions; no sockets, no clock.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/sim_device.h"
#include "store/scan_entry.h"

inline constexpr std::size_t kSurveyEntriesPerPage = 32;
// A page count travels in one byte.
inline constexpr std::size_t kMaxSurveyNeighbours = 255 * kSurveyEntriesPerPage;

// `count` neighbours (at most kMaxSurveyNeighbours), the same for the same
// device every time: distinct MACs, signals from -20 to -95 dBm, 2.4 and 5 GHz
// channels, and SSIDs in UTF-8 (Latin, accented, Chinese, some a full 32 bytes).
std::vector<ScanEntry> GenerateNeighbours(const MacAddress& device, std::size_t count);

// The result pages: packet_count, packet_id, icount and at most 32 entries
// each; no neighbours give one empty page.
std::vector<std::vector<uint8_t>> BuildSurveyPages(std::span<const ScanEntry> neighbours);
