#pragma once
// Builds the datagrams a device sends: announcement, full report and keepalive.
// Pure functions of the device and its current up time; no sockets, no clock.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sim/sim_device.h"

inline constexpr std::size_t kAnnouncementPayloadSize = 112;
inline constexpr std::size_t kShortAnnouncementPayloadSize = 33;
inline constexpr std::size_t kKeepalivePayloadSize = 40;

// A 32-byte text area with its length byte, as the device fills it: the UTF-8
// text cut at a character boundary to fit, the rest zero.
void PutDeviceText(std::string_view utf8, std::span<uint8_t> area, uint8_t& length);
// The text an area holds according to its length byte (clamped to the area).
std::string_view DeviceText(std::span<const char> area, uint8_t length);

// Header and payload of one device datagram: magic, the device's model, the
// type, `addressed` 0, the device's MAC and the payload length.
std::vector<uint8_t> BuildDeviceDatagram(const SimDevice& device, uint16_t type,
                                         std::span<const uint8_t> payload);

// Announcement payload: version area, work mode, mode switch, up time, name,
// SSID, channel and the two switches; only the version area when the device
// announces short.
std::vector<uint8_t> BuildAnnouncementPayload(const SimDevice& device, uint32_t upTime);
// Full report payload: the 756 bytes of the Device record from offset 24, with
// the reported address and the current up time.
std::vector<uint8_t> BuildReportPayload(const SimDevice& device, uint32_t upTime);
// Keepalive payload: version area at 0, up time at 36.
std::vector<uint8_t> BuildKeepalivePayload(const SimDevice& device, uint32_t upTime);
