#include "sim/report_builder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "protocol/datagram.h"

namespace {

void PutU16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value & 0xff);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Length of the longest prefix of at most maxBytes that does not end inside a
// UTF-8 sequence.
std::size_t BoundaryLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t end = maxBytes;
  while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xc0) == 0x80) --end;
  return end;
}

void CopyVersionArea(const SimDevice& device, uint8_t* at) {
  std::memcpy(at, device.settings.version, sizeof device.settings.version);
  at[32] = std::min<uint8_t>(device.settings.version_len, 32);
}

// The report is the record's own bytes, whose integers must already be
// little-endian.
static_assert(std::endian::native == std::endian::little);

}  // namespace

void PutDeviceText(std::string_view utf8, std::span<uint8_t> area, uint8_t& length) {
  std::fill(area.begin(), area.end(), uint8_t{0});
  const std::size_t used = BoundaryLength(utf8, area.size());
  std::memcpy(area.data(), utf8.data(), used);
  length = static_cast<uint8_t>(used);
}

std::string_view DeviceText(std::span<const char> area, uint8_t length) {
  return {area.data(), std::min<std::size_t>(length, area.size())};
}

std::vector<uint8_t> BuildDeviceDatagram(const SimDevice& device, uint16_t type,
                                         std::span<const uint8_t> payload) {
  const std::size_t length = std::min(payload.size(), kMaxPayloadSize);
  std::vector<uint8_t> datagram(kDatagramHeaderSize + length, 0);
  uint8_t* p = datagram.data();
  PutU16(p, kDatagramMagic);
  PutU16(p + 2, device.settings.ap_type);
  PutU16(p + 4, type);
  std::memcpy(p + 8, device.mac.data(), device.mac.size());
  PutU16(p + 14, static_cast<uint16_t>(length));
  std::copy_n(payload.begin(), length, p + kDatagramHeaderSize);
  return datagram;
}

std::vector<uint8_t> BuildAnnouncementPayload(const SimDevice& device, uint32_t upTime) {
  if (device.shortAnnouncement) {
    std::vector<uint8_t> payload(kShortAnnouncementPayloadSize, 0);
    CopyVersionArea(device, payload.data());
    return payload;
  }
  const ap_info_stu& s = device.settings;
  std::vector<uint8_t> payload(kAnnouncementPayloadSize, 0);
  uint8_t* p = payload.data();
  CopyVersionArea(device, p);
  p[33] = s.work_mode;
  p[34] = s.mode_btn_status;
  PutU32(p + 36, upTime);
  std::memcpy(p + 40, s.ap_name, 32);
  p[72] = std::min<uint8_t>(s.ap_name_len, 32);
  std::memcpy(p + 73, s.ssid, 32);
  p[105] = std::min<uint8_t>(s.ssid_len, 32);
  p[106] = s.channel;
  p[107] = s.bridge_transparent;
  p[108] = s.tdmaEn;
  return payload;
}

std::vector<uint8_t> BuildReportPayload(const SimDevice& device, uint32_t upTime) {
  ap_info_stu record = device.settings;
  record.up_time = upTime;  // little-endian host, as on the wire
  if (device.reportedIp) std::memcpy(record.ip, device.reportedIp->data(), 4);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  return {bytes + kReportPayloadOffset, bytes + kDeviceRecordSize};
}

std::vector<uint8_t> BuildKeepalivePayload(const SimDevice& device, uint32_t upTime) {
  std::vector<uint8_t> payload(kKeepalivePayloadSize, 0);
  CopyVersionArea(device, payload.data());
  PutU32(payload.data() + 36, upTime);
  return payload;
}
