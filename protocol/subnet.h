#pragma once
// Address arithmetic on IP texts for choosing local addresses and search
// destinations.

#include <string>
#include <string_view>
#include <vector>

#include "hostnics/host_nics_info.h"

// A fixed char area as text, up to its first zero byte.
std::string AreaText(const char* area, std::size_t size);

// False when the adapter address is "0.0.0.0", the device address is empty or
// "0.0.0.0", or the mask is empty or "0.0.0.0"; otherwise whether both
// addresses are in one subnet under the mask.
bool IsInSameSubnet(std::string_view adapterIp, std::string_view mask, std::string_view deviceIp);

// The directed broadcast address of every usable address of the adapters,
// without duplicates, in order of first appearance.
std::vector<std::string> DirectedBroadcasts(const std::vector<HostNicsInfo>& adapters);
