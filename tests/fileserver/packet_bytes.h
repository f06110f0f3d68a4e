#pragma once
// Building and reading raw TFTP packets in tests.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline std::vector<std::byte> Bytes(std::string_view text) {
  const auto* data = reinterpret_cast<const std::byte*>(text.data());
  return std::vector<std::byte>(data, data + text.size());
}

inline std::string Text(std::span<const std::byte> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A read (opcode 1) or write (2) request; `options` alternate names and values.
inline std::vector<std::byte> Request(uint16_t opcode, std::string_view name, std::string_view mode,
                                      const std::vector<std::string>& options = {}) {
  std::string packet;
  packet += static_cast<char>(opcode >> 8);
  packet += static_cast<char>(opcode & 0xff);
  packet += name;
  packet += '\0';
  packet += mode;
  packet += '\0';
  for (const std::string& text : options) {
    packet += text;
    packet += '\0';
  }
  return Bytes(packet);
}

inline std::vector<std::byte> Ack(uint16_t block) {
  return {std::byte{0}, std::byte{4}, static_cast<std::byte>(block >> 8),
          static_cast<std::byte>(block & 0xff)};
}

inline uint16_t U16At(std::span<const std::byte> bytes, std::size_t at) {
  return static_cast<uint16_t>((std::to_integer<unsigned>(bytes[at]) << 8) |
                               std::to_integer<unsigned>(bytes[at + 1]));
}
