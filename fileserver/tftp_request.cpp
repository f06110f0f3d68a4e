#include "fileserver/tftp_request.h"

#include <algorithm>
#include <charconv>

namespace {

uint16_t ReadU16(std::span<const std::byte> bytes, std::size_t at) {
  return static_cast<uint16_t>((std::to_integer<uint16_t>(bytes[at]) << 8) |
                               std::to_integer<uint16_t>(bytes[at + 1]));
}

// Reads a NUL-terminated string starting at `pos`; advances `pos` past the NUL.
std::optional<std::string_view> ReadString(std::span<const std::byte> bytes, std::size_t& pos) {
  const auto* begin = reinterpret_cast<const char*>(bytes.data()) + pos;
  const auto* end = reinterpret_cast<const char*>(bytes.data()) + bytes.size();
  const auto* nul = std::find(begin, end, '\0');
  if (nul == end) return std::nullopt;
  pos += static_cast<std::size_t>(nul - begin) + 1;
  return std::string_view(begin, static_cast<std::size_t>(nul - begin));
}

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return out;
}

// A decimal number without sign or blanks, as the option RFCs write them.
std::optional<uint64_t> ParseNumber(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<uint16_t> PeekOpcode(std::span<const std::byte> packet) {
  if (packet.size() < 2) return std::nullopt;
  return ReadU16(packet, 0);
}

ParsedRequest ParseRequest(std::span<const std::byte> packet) {
  ParsedRequest result;
  if (packet.size() < 4) return result;
  const uint16_t opcode = ReadU16(packet, 0);
  if (opcode != static_cast<uint16_t>(TftpOpcode::kReadRequest) &&
      opcode != static_cast<uint16_t>(TftpOpcode::kWriteRequest)) {
    result.status = RequestStatus::kNotARequest;
    return result;
  }
  result.request.opcode = static_cast<TftpOpcode>(opcode);
  std::size_t pos = 2;
  const auto fileName = ReadString(packet, pos);
  const auto mode = fileName ? ReadString(packet, pos) : std::nullopt;
  if (!mode) {
    result.status = RequestStatus::kUnterminated;
    return result;
  }
  if (fileName->empty()) {
    result.status = RequestStatus::kEmptyFileName;
    return result;
  }
  const std::string modeName = Lower(*mode);
  if (modeName == "octet") {
    result.request.mode = TftpMode::kOctet;
  } else if (modeName == "netascii") {
    result.request.mode = TftpMode::kNetascii;
  } else {
    result.status = RequestStatus::kUnknownMode;
    return result;
  }
  result.request.fileName = std::string(*fileName);
  auto onlyPaddingLeft = [&] {
    // Some clients pad requests with zero bytes.
    return std::all_of(packet.begin() + static_cast<std::ptrdiff_t>(pos), packet.end(),
                       [](std::byte b) { return b == std::byte{0}; });
  };
  while (pos < packet.size() && !onlyPaddingLeft()) {
    const auto name = ReadString(packet, pos);
    if (!name) {
      result.status = RequestStatus::kUnterminated;
      return result;
    }
    const auto value = ReadString(packet, pos);
    if (!value) {
      result.status = RequestStatus::kMalformedOption;
      return result;
    }
    if (name->empty()) {
      result.status = RequestStatus::kMalformedOption;
      return result;
    }
    result.request.options.push_back({Lower(*name), std::string(*value)});
  }
  result.status = RequestStatus::kOk;
  return result;
}

std::optional<uint16_t> ParseAck(std::span<const std::byte> packet) {
  if (packet.size() < 4 || ReadU16(packet, 0) != static_cast<uint16_t>(TftpOpcode::kAck)) {
    return std::nullopt;
  }
  return ReadU16(packet, 2);
}

std::optional<TftpErrorPacket> ParseErrorPacket(std::span<const std::byte> packet) {
  if (packet.size() < 4 || ReadU16(packet, 0) != static_cast<uint16_t>(TftpOpcode::kError)) {
    return std::nullopt;
  }
  TftpErrorPacket error;
  error.code = ReadU16(packet, 2);
  std::size_t pos = 4;
  // A message without its terminating NUL is still worth reporting.
  if (const auto message = ReadString(packet, pos)) {
    error.message = std::string(*message);
  } else {
    error.message.assign(reinterpret_cast<const char*>(packet.data()) + 4, packet.size() - 4);
  }
  return error;
}

Negotiation NegotiateOptions(const std::vector<TftpOption>& requested,
                             std::optional<uint64_t> fileSize) {
  Negotiation result;
  TransferOptions& options = result.options;
  auto alreadyAccepted = [&](std::string_view name) {
    return std::any_of(options.acknowledged.begin(), options.acknowledged.end(),
                       [&](const TftpOption& o) { return o.name == name; });
  };
  auto refuse = [&](const TftpOption& option) {
    result.refused = true;
    result.reason = "Invalid " + option.name + " value " + option.value;
    return result;
  };
  for (const TftpOption& option : requested) {
    // The first occurrence of an option counts, as with every other key.
    if (alreadyAccepted(option.name)) continue;
    const auto number = ParseNumber(option.value);
    if (option.name == "blksize") {
      if (!number || *number < kMinBlockSize) return refuse(option);
      options.blockSize = static_cast<uint16_t>(std::min<uint64_t>(*number, kMaxBlockSize));
      options.acknowledged.push_back({option.name, std::to_string(options.blockSize)});
    } else if (option.name == "windowsize") {
      if (!number || *number < 1 || *number > 65535) return refuse(option);
      options.windowSize = static_cast<uint16_t>(std::min<uint64_t>(*number, kMaxWindowSize));
      options.acknowledged.push_back({option.name, std::to_string(options.windowSize)});
    } else if (option.name == "timeout") {
      if (!number || *number < 1 || *number > 255) return refuse(option);
      options.timeoutSeconds = static_cast<int>(*number);
      options.acknowledged.push_back({option.name, std::to_string(options.timeoutSeconds)});
    } else if (option.name == "tsize") {
      // A reader sends 0; the answer is the size, when it is known.
      if (!number) return refuse(option);
      if (fileSize) options.acknowledged.push_back({option.name, std::to_string(*fileSize)});
    }
  }
  const auto windowCap = static_cast<uint16_t>(
      std::clamp<std::size_t>(kMaxWindowBytes / options.blockSize, 1, kMaxWindowSize));
  if (options.windowSize > windowCap) {
    options.windowSize = windowCap;
    for (TftpOption& accepted : options.acknowledged) {
      if (accepted.name == "windowsize") accepted.value = std::to_string(windowCap);
    }
  }
  return result;
}
