#include "fileserver/tftp_packet.h"

namespace {

void AppendU16(std::vector<std::byte>& out, uint16_t value) {
  out.push_back(static_cast<std::byte>(value >> 8));
  out.push_back(static_cast<std::byte>(value & 0xff));
}

void AppendString(std::vector<std::byte>& out, std::string_view text) {
  for (char c : text) {
    // A NUL inside would end the string early on the wire.
    if (c != '\0') out.push_back(static_cast<std::byte>(c));
  }
  out.push_back(std::byte{0});
}

}  // namespace

void WriteDataHeader(std::span<std::byte, kTftpHeaderSize> packet, uint16_t block) {
  packet[0] = std::byte{0};
  packet[1] = static_cast<std::byte>(TftpOpcode::kData);
  packet[2] = static_cast<std::byte>(block >> 8);
  packet[3] = static_cast<std::byte>(block & 0xff);
}

std::vector<std::byte> BuildOptionAck(const std::vector<TftpOption>& options) {
  std::vector<std::byte> out;
  AppendU16(out, static_cast<uint16_t>(TftpOpcode::kOptionAck));
  for (const TftpOption& option : options) {
    AppendString(out, option.name);
    AppendString(out, option.value);
  }
  return out;
}

std::vector<std::byte> BuildErrorPacket(TftpErrorCode code, std::string_view message) {
  std::vector<std::byte> out;
  AppendU16(out, static_cast<uint16_t>(TftpOpcode::kError));
  AppendU16(out, static_cast<uint16_t>(code));
  AppendString(out, message);
  return out;
}
