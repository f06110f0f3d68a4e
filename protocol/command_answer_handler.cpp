#include "protocol/command_answer_handler.h"

#include <algorithm>
#include <cstring>

#include "protocol/datagram.h"
#include "protocol/text_area.h"
#include "store/device_text.h"

std::optional<int> StatusFromAnswer(uint16_t type, uint8_t result) {
  switch (type) {
    case kMsgSetBridge:
      return result == 0 ? kStatusBridgeSuccess : kStatusBridgeFail;
    case kMsgReboot:
      if (result == 0) return kStatusRestarting;
      return std::nullopt;
    case kMsgFactoryReset:
      if (result == 0) return kStatusReseting;
      return std::nullopt;
    case kMsgUpgradeStatus:
      if (result == 0) return kStatusUpgradeWait;
      return result == 1 ? kStatusUpgradeFail : kStatusUpgradeSuccess;
    case kMsgSetVlan:
      if (result == 0) return kStatusRestarting;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

ScanPage ReadScanPage(std::span<const uint8_t> payload) {
  ScanPage page;
  const std::size_t length = std::min(payload.size(), page.bytes.size());
  if (length > 0) std::memcpy(page.bytes.data(), payload.data(), length);
  const uint8_t packetCount = page.bytes[0];
  const uint8_t packetId = page.bytes[1];
  const std::size_t count = std::min<std::size_t>(page.bytes[2], kMaxScanPageEntries);
  for (std::size_t i = 0; i < count; ++i) {
    ConvertTextArea(
        &page.bytes[kScanPageHeaderSize + i * kScanEntrySize + offsetof(ScanEntry, ssid)]);
  }
  page.last = packetCount > 0 && packetId == packetCount - 1;
  return page;
}
