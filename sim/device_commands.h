#pragma once
// The configuration and control commands as a device carries them out:
// configuration slices applied to its settings (seen in its next report),
// address moves, bridging, restarts, factory reset, site survey and firmware
// upgrade. Each answers to the program's port 9788 from the device's address
// at the moment the command arrives.

#include <cstdint>

#include "sim/command_handlers.h"

inline constexpr std::size_t kIpBlockSize = 22;
inline constexpr uint8_t kStationWorkMode = 2;
// upgrade_status results.
inline constexpr uint8_t kUpgradeWaiting = 0;
inline constexpr uint8_t kUpgradeFailed = 1;
inline constexpr uint8_t kUpgradeSucceeded = 2;

// Registers set_ip, set_wireless, set_reboot_schedule, site_survey,
// set_bridge, set_name, reboot, factory_reset, upgrade, set_vlan,
// upgrade_query, set_transparent_bridge and set_tdma.
void RegisterDeviceCommands(CommandHandlers& handlers);

// Sends an upgrade_status with `result` to the program that started the upgrade.
void SendUpgradeStatus(const SimDevice& device, Outbox& outbox, uint8_t result);
