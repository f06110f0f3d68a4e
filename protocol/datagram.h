#pragma once
// The device protocol's datagram: a 16-byte header and a payload of at most
// 1456 bytes. Pure encoding, decoding and acceptance rules; sockets live in the
// engine.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr uint16_t kDatagramMagic = 0x1986;
inline constexpr std::size_t kDatagramHeaderSize = 16;
inline constexpr std::size_t kMaxDatagramSize = 1472;
inline constexpr std::size_t kMaxPayloadSize = kMaxDatagramSize - kDatagramHeaderSize;
// A queued datagram: the sender's 16-byte IPv4 socket address, then the
// datagram zero-filled to 1472 bytes.
inline constexpr std::size_t kQueueRecordSize = 16 + kMaxDatagramSize;

inline constexpr uint16_t kAnnouncePort = 9785;
inline constexpr uint16_t kSearchPort = 9786;
inline constexpr uint16_t kKeepalivePort = 9787;
inline constexpr uint16_t kReplyPort = 9788;
inline constexpr std::string_view kDeviceMulticastGroup = "239.255.255.250";

enum MessageType : uint16_t {
  kMsgDiscover = 1,
  kMsgDeviceInfo = 2,
  kMsgSetIp = 3,
  kMsgSetWireless = 4,
  kMsgSetRebootSchedule = 5,
  kMsgSiteSurvey = 6,
  kMsgSetBridge = 7,
  kMsgSetName = 8,
  kMsgReboot = 9,
  kMsgFactoryReset = 10,
  kMsgUpgrade = 11,
  kMsgUpgradeStatus = 12,
  kMsgSetVlan = 13,
  kMsgKeepalive = 15,
  kMsgUpgradeQuery = 16,
  kMsgRelease = 17,
  kMsgSetTransparentBridge = 18,
  kMsgSetTdma = 19,
};

// The message's name as the protocol knows it ("discover", "set_ip", ...), or
// an empty view for an unknown type.
std::string_view MessageTypeName(uint16_t type);

struct DatagramHeader {
  uint16_t magic = kDatagramMagic;
  uint16_t model = 0;
  uint16_t type = 0;
  uint8_t addressed = 0;
  uint8_t reserved = 0;
  std::array<uint8_t, 6> mac{};
  uint16_t length = 0;
};

// Writes header and payload into `out` (at least 16 + payload bytes) and
// returns the number of bytes to send: 16 + payload size, or 0 when the
// payload is longer than 1456 bytes. An empty MAC text gives six zero bytes.
std::size_t EncodeDatagram(std::span<const uint8_t> payload, std::string_view macText,
                           uint16_t type, bool addressed, std::span<uint8_t> out);

// Reads the header fields of a datagram of at least 16 bytes.
DatagramHeader DecodeHeader(std::span<const uint8_t> datagram);

// The receive rules: 16 to 1472 bytes, the magic first, and a type the port
// takes (9785 only discover, 9787 only keepalive, 9788 every type).
bool IsAcceptedDatagram(std::span<const uint8_t> datagram, uint16_t localPort);

// Types that never enter the pending list, whatever the caller asks.
bool IsNeverRetransmitted(uint16_t type);
