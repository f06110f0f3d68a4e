#pragma once
// Building the packets the server sends: DATA headers, OACK and ERROR.
// Pure functions; callable from any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "fileserver/tftp_request.h"

inline constexpr std::size_t kTftpHeaderSize = 4;

// Writes the 4-byte DATA header for a block number (the wire number, which
// wraps past 65535) at the start of `packet`.
void WriteDataHeader(std::span<std::byte, kTftpHeaderSize> packet, uint16_t block);

std::vector<std::byte> BuildOptionAck(const std::vector<TftpOption>& options);

std::vector<std::byte> BuildErrorPacket(TftpErrorCode code, std::string_view message);
