#include "sim/site_survey.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "sim/report_builder.h"

namespace {

constexpr std::array<const char*, 6> kSsidStems = {
    "Outdoor-Link", "Café Réseau", "无线网桥", "Backhaul Nord", "高速链路-东区", "Ünïcödé-Mast"};

std::string NeighbourSsid(std::size_t index) {
  const std::string stem = kSsidStems[index % kSsidStems.size()];
  if (index % 7 == 6) {
    // Longer than the area: the device cuts it at a character boundary.
    std::string longName;
    while (longName.size() < 40) longName += stem;
    return longName;
  }
  return stem + " " + std::to_string(index);
}

}  // namespace

std::vector<ScanEntry> GenerateNeighbours(const MacAddress& device, std::size_t count) {
  count = std::min(count, kMaxSurveyNeighbours);
  std::vector<ScanEntry> neighbours(count);
  for (std::size_t i = 0; i < count; ++i) {
    ScanEntry& e = neighbours[i];
    std::memset(&e, 0, sizeof e);
    // Locally administered, derived from the surveying device, unique per index.
    e.mac[0] = 0x06;
    e.mac[1] = device[4];
    e.mac[2] = device[5];
    e.mac[3] = static_cast<uint8_t>(i >> 16);
    e.mac[4] = static_cast<uint8_t>(i >> 8);
    e.mac[5] = static_cast<uint8_t>(i);
    e.signal = static_cast<int8_t>(-20 - static_cast<int>((i * 37 + device[5]) % 76));
    const bool fiveGhz = i % 3 == 2;
    e.channel = fiveGhz ? static_cast<uint8_t>(36 + 4 * (i % 8)) : static_cast<uint8_t>(1 + i % 13);
    e.secure_mode = static_cast<uint8_t>(i % 4);
    std::array<uint8_t, 32> area{};
    PutDeviceText(NeighbourSsid(i), area, e.ssid_len);
    std::memcpy(e.ssid, area.data(), area.size());
    e.exchannel = static_cast<uint8_t>(i % 2);
    e.bandwidth = static_cast<uint8_t>(i % 3);
  }
  return neighbours;
}

std::vector<std::vector<uint8_t>> BuildSurveyPages(std::span<const ScanEntry> neighbours) {
  neighbours = neighbours.first(std::min(neighbours.size(), kMaxSurveyNeighbours));
  const std::size_t pageCount = std::max<std::size_t>(
      1, (neighbours.size() + kSurveyEntriesPerPage - 1) / kSurveyEntriesPerPage);
  std::vector<std::vector<uint8_t>> pages;
  pages.reserve(pageCount);
  for (std::size_t page = 0; page < pageCount; ++page) {
    const std::size_t first = page * kSurveyEntriesPerPage;
    const auto entries =
        neighbours.subspan(first, std::min(kSurveyEntriesPerPage, neighbours.size() - first));
    std::vector<uint8_t> payload(kScanPageHeaderSize + entries.size() * kScanEntrySize);
    payload[0] = static_cast<uint8_t>(pageCount);
    payload[1] = static_cast<uint8_t>(page);
    payload[2] = static_cast<uint8_t>(entries.size());
    if (!entries.empty())
      std::memcpy(payload.data() + kScanPageHeaderSize, entries.data(),
                  entries.size() * kScanEntrySize);
    pages.push_back(std::move(payload));
  }
  return pages;
}
