#include "protocol/announcement_handler.h"

#include <algorithm>
#include <cstring>

#include "protocol/record_fields.h"
#include "protocol/text_area.h"

namespace {

// Announcement payload layout.
constexpr std::size_t kVersionAt = 0;
constexpr std::size_t kWorkModeAt = 33;
constexpr std::size_t kModeButtonAt = 34;
constexpr std::size_t kUpTimeAt = 36;
constexpr std::size_t kNameAt = 40;
constexpr std::size_t kSsidAt = 73;
constexpr std::size_t kChannelAt = 106;
constexpr std::size_t kTransparentAt = 107;
constexpr std::size_t kTdmaAt = 108;
constexpr std::size_t kVersionOnlyLength = 33;
constexpr std::size_t kReadLength = 112;

uint32_t ReadU32(const uint8_t* at) {
  return uint32_t{at[0]} | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
}

}  // namespace

std::optional<AnnouncementAnswer> HandleAnnouncement(COnlineList& online, const QueueRecord& record) {
  const DatagramHeader header = DecodeHeader(record.datagram);
  if (IsZeroMac(header)) return std::nullopt;
  // Fields past the header's length read as the record's zeros.
  const uint8_t* payload = record.datagram.data() + kDatagramHeaderSize;
  const std::size_t length = PayloadOf(record, header, kReadLength).size();

  DeviceEntry announced;
  announced.ip = SenderIpText(record);
  announced.mac = HeaderMacText(header);
  announced.model = header.model;
  std::memcpy(announced.version.data(), payload + kVersionAt, announced.version.size());
  if (length > kVersionOnlyLength) {
    announced.work_mode = payload[kWorkModeAt];
    announced.mode_btn_status = payload[kModeButtonAt];
    announced.up_time = ReadU32(payload + kUpTimeAt);
    std::memcpy(announced.ap_name.data(), payload + kNameAt, announced.ap_name.size());
    ConvertTextArea(announced.ap_name.data());
    std::memcpy(announced.ssid.data(), payload + kSsidAt, announced.ssid.size());
    ConvertTextArea(announced.ssid.data());
    announced.channel = payload[kChannelAt];
    announced.bridge_transparent = payload[kTransparentAt];
    announced.tdmaEn = payload[kTdmaAt];
  }
  const AnnounceOutcome outcome = online.Announce(announced);
  if (!outcome.listed) return std::nullopt;
  return AnnouncementAnswer{{announced.ip, announced.mac}, !outcome.known};
}
