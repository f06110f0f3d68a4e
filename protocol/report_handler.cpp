#include "protocol/report_handler.h"

#include <cstring>

#include "protocol/record_fields.h"
#include "protocol/text_area.h"
#include "store/device_text.h"

ap_info_stu BuildDeviceRecord(const DatagramHeader& header, std::span<const uint8_t> payload) {
  ap_info_stu device{};
  const std::string mac = HeaderMacText(header);
  std::memcpy(device.mac, mac.c_str(), std::min(mac.size() + 1, sizeof device.mac));
  device.ap_type = header.model;
  device.ap_status = 0;
  auto* bytes = reinterpret_cast<uint8_t*>(&device);
  const std::size_t length = std::min(payload.size(), kReportPayloadMax);
  if (length > 0) std::memcpy(bytes + kReportPayloadOffset, payload.data(), length);
  ConvertTextArea(reinterpret_cast<uint8_t*>(device.ap_name));
  ConvertTextArea(reinterpret_cast<uint8_t*>(device.ssid));
  ConvertTextArea(reinterpret_cast<uint8_t*>(device.bridge_ssid));
  return device;
}

std::optional<ap_info_stu> HandleReport(COnlineList& online, const QueueRecord& record) {
  const DatagramHeader header = DecodeHeader(record.datagram);
  const ap_info_stu device = BuildDeviceRecord(header, PayloadOf(record, header, kReportPayloadMax));

  ReportFields report;
  report.mac = device.mac;
  report.ip = IpText(device.ip);
  report.model = header.model;
  report.up_time = device.up_time;
  std::memcpy(report.version.data(), device.version, sizeof device.version);
  report.version[kTextAreaSize] = device.version_len;
  report.bridge_transparent = device.bridge_transparent;
  report.tdmaEn = device.tdmaEn;
  if (!online.AcceptReport(report)) return std::nullopt;
  return device;
}
