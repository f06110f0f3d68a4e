#pragma once
// Parsing of the TFTP packets that reach the server: read and write requests
// with their options, acknowledgements and error packets, and the negotiation
// of the options the server supports (blksize, tsize, timeout, windowsize).
// Pure functions over bytes, safe on any input; callable from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class TftpOpcode : uint16_t {
  kReadRequest = 1,
  kWriteRequest = 2,
  kData = 3,
  kAck = 4,
  kError = 5,
  kOptionAck = 6,
};

enum class TftpErrorCode : uint16_t {
  kNotDefined = 0,
  kFileNotFound = 1,
  kAccessViolation = 2,
  kDiskFull = 3,
  kIllegalOperation = 4,
  kUnknownTransferId = 5,
  kFileExists = 6,
  kNoSuchUser = 7,
  kOptionRefused = 8,
};

enum class TftpMode { kOctet, kNetascii };

struct TftpOption {
  std::string name;  // lower-case
  std::string value;
};

struct TftpRequest {
  TftpOpcode opcode = TftpOpcode::kReadRequest;
  std::string fileName;
  TftpMode mode = TftpMode::kOctet;
  std::vector<TftpOption> options;  // in the order received
};

enum class RequestStatus {
  kOk,
  kTooShort,
  kNotARequest,
  kUnterminated,  // a string runs to the end of the packet
  kEmptyFileName,
  kUnknownMode,      // "mail" and anything else
  kMalformedOption,  // an option name without value, or an empty name
};

struct ParsedRequest {
  RequestStatus status = RequestStatus::kTooShort;
  TftpRequest request;  // valid only with kOk
};

// The opcode of any packet of at least two bytes.
std::optional<uint16_t> PeekOpcode(std::span<const std::byte> packet);

ParsedRequest ParseRequest(std::span<const std::byte> packet);

// The block number of an ACK packet.
std::optional<uint16_t> ParseAck(std::span<const std::byte> packet);

struct TftpErrorPacket {
  uint16_t code = 0;
  std::string message;
};
std::optional<TftpErrorPacket> ParseErrorPacket(std::span<const std::byte> packet);

inline constexpr uint16_t kDefaultBlockSize = 512;
inline constexpr uint16_t kMinBlockSize = 8;
inline constexpr uint16_t kMaxBlockSize = 65464;
// Larger windows than this gain nothing on a LAN and cost memory per transfer:
// a window is buffered for retransmission, so its bytes are capped too.
inline constexpr uint16_t kMaxWindowSize = 64;
inline constexpr std::size_t kMaxWindowBytes = 1024 * 1024;

struct TransferOptions {
  uint16_t blockSize = kDefaultBlockSize;
  uint16_t windowSize = 1;
  int timeoutSeconds = 0;  // 0: the server's default
  // The options to acknowledge in an OACK, in the order received; empty when
  // no option was accepted, and then no OACK is sent.
  std::vector<TftpOption> acknowledged;
};

struct Negotiation {
  bool refused = false;  // a supported option carries a value out of range
  std::string reason;
  TransferOptions options;
};

// Accepts the supported options of a read request; unknown options are ignored.
// fileSize answers tsize and is empty when the size is not known in advance
// (netascii), in which case tsize is left out of the OACK.
Negotiation NegotiateOptions(const std::vector<TftpOption>& requested,
                             std::optional<uint64_t> fileSize);
