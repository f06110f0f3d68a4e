#pragma once
// What the Status page's sender threads send. Each only reads its arguments
// and calls the engine's send operations, so it may run on any thread.

#include <cstdint>
#include <string>
#include <vector>

#include "forms/ip_settings/ip_range_settings.h"
#include "pages/list_page/selected_device.h"
#include "protocol/command_payloads.h"

class CDeviceEngine;

// set_name with the name converted for the device and cut to its 32 bytes.
void SendRename(CDeviceEngine& engine, const SelectedDevice& device, const std::string& localName);

// set_ip with consecutive addresses of the range, one per device in
// selection order; the engine is told first that each device moves, so its
// entry follows it. Devices left over when the range runs out get nothing.
void SendIpRange(CDeviceEngine& engine, const std::vector<SelectedDevice>& devices,
                 const IpRangeSettings& settings);

// The same switch message to every device in selection order.
void SendSwitch(CDeviceEngine& engine, const std::vector<SelectedDevice>& devices, uint16_t type,
                const CommandPayload& payload);
