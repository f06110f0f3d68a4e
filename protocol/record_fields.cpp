#include "protocol/record_fields.h"

#include <arpa/inet.h>

#include <algorithm>

#include "store/device_text.h"

std::string SenderIpText(const QueueRecord& record) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &record.sender.sin_addr, text, sizeof text);
  return text;
}

std::string HeaderMacText(const DatagramHeader& header) { return MacText(header.mac.data()); }

bool IsZeroMac(const DatagramHeader& header) {
  return std::all_of(header.mac.begin(), header.mac.end(), [](uint8_t b) { return b == 0; });
}

std::span<const uint8_t> PayloadOf(const QueueRecord& record, const DatagramHeader& header,
                                   std::size_t cap) {
  const std::size_t length = std::min<std::size_t>({header.length, cap, kMaxPayloadSize});
  return std::span<const uint8_t>(record.datagram).subspan(kDatagramHeaderSize, length);
}
