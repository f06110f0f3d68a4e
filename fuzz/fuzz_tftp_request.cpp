// Fuzzes what the TFTP server reads from the network: requests with their
// options, the negotiation and the OACK built from it, and the packets a
// running transfer receives.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "fileserver/tftp_packet.h"
#include "fileserver/tftp_request.h"
#include "fileserver/transfer.h"

namespace {

int ServedFile() {
  static const int fd = [] {
    const int memfd = ::memfd_create("served", MFD_CLOEXEC);
    static const char content[] = "0123456789abcdef\n\r\n";
    for (int i = 0; i < 64; ++i) (void)!::write(memfd, content, sizeof content - 1);
    return memfd;
  }();
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const std::byte> packet(reinterpret_cast<const std::byte*>(data), size);
  (void)PeekOpcode(packet);
  (void)ParseAck(packet);
  (void)ParseErrorPacket(packet);

  const ParsedRequest parsed = ParseRequest(packet);
  if (parsed.status != RequestStatus::kOk) return 0;
  const bool octet = parsed.request.mode == TftpMode::kOctet;
  const Negotiation negotiation = NegotiateOptions(
      parsed.request.options, octet ? std::optional<uint64_t>(1216) : std::nullopt);
  if (negotiation.refused) return 0;
  (void)BuildOptionAck(negotiation.options.acknowledged);

  // The request's own bytes, fed back as the client's answers, drive a transfer.
  Transfer transfer(FileSource(UniqueFd(::dup(ServedFile())), parsed.request.mode),
                    negotiation.options, {});
  const auto now = Transfer::Clock::time_point{};
  transfer.Start(now);
  for (std::size_t at = 0; at + 4 <= size && transfer.GetState() == Transfer::State::kRunning;
       at += 4) {
    transfer.OnPacket(packet.subspan(at, 4), now);
    transfer.OnTimer(transfer.Deadline());
  }
  return 0;
}
