#pragma once
// One access point seen by a site survey: the layout of an entry of the
// survey's result pages, as the store reads and writes it.

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct __attribute__((packed)) ScanEntry {
  uint8_t mac[6];
  int8_t signal;
  uint8_t channel;
  uint8_t secure_mode;
  char ssid[32];
  uint8_t ssid_len;
  uint8_t exchannel;
  uint8_t bandwidth;
};

inline constexpr std::size_t kScanEntrySize = 44;
// packet_count, packet_id, icount precede the entries of a result page.
inline constexpr std::size_t kScanPageHeaderSize = 3;

static_assert(std::is_trivially_copyable_v<ScanEntry>);
static_assert(sizeof(ScanEntry) == kScanEntrySize);
static_assert(offsetof(ScanEntry, ssid) == 9);
static_assert(offsetof(ScanEntry, ssid_len) == 41);
