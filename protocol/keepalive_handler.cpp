#include "protocol/keepalive_handler.h"

#include <cstring>

#include "protocol/record_fields.h"

namespace {
constexpr std::size_t kUpTimeAt = 36;
}  // namespace

std::optional<KeepaliveAnswer> HandleKeepalive(COnlineList& online, const QueueRecord& record) {
  const DatagramHeader header = DecodeHeader(record.datagram);
  const uint8_t* payload = record.datagram.data() + kDatagramHeaderSize;
  KeepaliveAnswer answer;
  answer.device = {SenderIpText(record), HeaderMacText(header)};
  answer.up_time = uint32_t{payload[kUpTimeAt]} | (uint32_t{payload[kUpTimeAt + 1]} << 8) |
                   (uint32_t{payload[kUpTimeAt + 2]} << 16) | (uint32_t{payload[kUpTimeAt + 3]} << 24);
  TextArea version{};
  std::memcpy(version.data(), payload, version.size());
  if (!online.Keepalive(answer.device.mac, answer.device.ip, answer.up_time, version)) {
    return std::nullopt;
  }
  return answer;
}
