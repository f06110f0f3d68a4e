#pragma once
// One device of the engine's online list, as its announcements, keepalives and
// full report describe it.

#include <array>
#include <cstdint>
#include <string>

enum class EntryState : uint8_t {
  kAnnounced = 1,  // announcement seen, full report not yet received
  kReported = 2,
};

// Set by every announcement and keepalive; the ageing pass counts it down.
inline constexpr uint8_t kFullAge = 3;

// A 32-byte text area followed by its length byte, as on the wire.
using TextArea = std::array<uint8_t, 33>;

struct DeviceEntry {
  std::string ip;   // IP text
  // The address a set_ip outstanding for this device moves it to; empty when
  // there is none.
  std::string new_ip;
  // Set when a set_ip answer moved the entry: the device's next announcement
  // asks for a full report again, so its stored row (address, mask, gateway
  // and DNS) is rewritten with what the device now has.
  bool report_due = false;
  std::string mac;  // MAC text
  uint16_t model = 0;
  EntryState state = EntryState::kAnnounced;
  uint8_t age = kFullAge;
  uint32_t up_time = 0;
  TextArea version{};
  uint8_t work_mode = 0;
  uint8_t mode_btn_status = 0;
  TextArea ap_name{};
  TextArea ssid{};
  uint8_t channel = 0;
  uint8_t bridge_transparent = 0;
  uint8_t tdmaEn = 0;
};

// A device's two keys, as sends and the store take them.
struct DeviceAddress {
  std::string ip;
  std::string mac;
};
