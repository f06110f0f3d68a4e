#pragma once
// The addresses the multi-device IP form hands out, one per selected device in
// selection order. Pure function.

#include <cstddef>
#include <vector>

#include "store/device_text.h"

// One device takes the first address as it is. Several devices take the
// addresses from first to last, both included, in increasing order, skipping
// those whose last octet is 0 or 255; the walk stops when every device has one
// or the range is used up, so the result may be shorter than deviceCount (the
// devices at the end of the selection keep their address). A last address
// below the first gives none.
std::vector<IpBytes> AddressesForDevices(const IpBytes& first, const IpBytes& last,
                                         std::size_t deviceCount);
