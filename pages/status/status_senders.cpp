#include "pages/status/status_senders.h"

#include "forms/rules/address_walk.h"
#include "protocol/datagram.h"
#include "protocol/device_engine.h"

void SendRename(CDeviceEngine& engine, const SelectedDevice& device, const std::string& localName) {
  engine.SendToDevice(device.ip, kMsgSetName, SetNamePayload(localName), device.mac, true);
}

void SendIpRange(CDeviceEngine& engine, const std::vector<SelectedDevice>& devices,
                 const IpRangeSettings& settings) {
  const std::vector<IpBytes> addresses =
      AddressesForDevices(settings.first, settings.last, devices.size());
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    const SelectedDevice& device = devices[i];
    const CommandPayload payload = SetIpPayload(MultiDeviceIpBlock(
        addresses[i], settings.mask, settings.gateway, settings.primaryDns, settings.secondaryDns));
    engine.FollowIpChange(device.mac, device.ip, IpText(addresses[i].data()));
    engine.SendToDevice(device.ip, kMsgSetIp, payload, device.mac, true);
  }
}

void SendSwitch(CDeviceEngine& engine, const std::vector<SelectedDevice>& devices, uint16_t type,
                const CommandPayload& payload) {
  for (const SelectedDevice& device : devices) {
    engine.SendToDevice(device.ip, type, payload, device.mac, true);
  }
}
