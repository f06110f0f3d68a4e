#pragma once
// What the multi-device IP form hands to the Status page's sender: the range
// the device addresses are taken from and the settings every device gets.
// A plain value, copied to the sender thread.

#include "store/device_text.h"

struct IpRangeSettings {
  IpBytes first{};
  IpBytes last{};
  IpBytes mask{};
  IpBytes gateway{};
  IpBytes primaryDns{};
  IpBytes secondaryDns{};
};
