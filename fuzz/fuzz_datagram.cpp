// Arbitrary bytes through the receive rules and the header codec. A datagram
// that re-encodes from its decoded header must give back the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "protocol/datagram.h"
#include "store/device_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const bool anyPort = IsAcceptedDatagram(bytes, kAnnouncePort) ||
                       IsAcceptedDatagram(bytes, kKeepalivePort) ||
                       IsAcceptedDatagram(bytes, kReplyPort);
  if (!anyPort) return 0;

  const DatagramHeader header = DecodeHeader(bytes);
  const std::size_t payloadSize = size - kDatagramHeaderSize;
  if (header.model != 0 || header.reserved != 0 || header.addressed > 1 ||
      header.length != payloadSize) {
    return 0;
  }
  std::vector<uint8_t> out(kMaxDatagramSize);
  const std::size_t written =
      EncodeDatagram(bytes.subspan(kDatagramHeaderSize), MacText(header.mac.data()), header.type,
                     header.addressed == 1, out);
  if (written != size || std::memcmp(out.data(), data, size) != 0) std::abort();
  return 0;
}
