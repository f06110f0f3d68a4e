#include "pages/status/rename_sender.h"

#include "protocol/command_payloads.h"
#include "protocol/datagram.h"
#include "protocol/device_engine.h"

void CRenameSender::Send(CDeviceEngine& engine, std::string ip, std::string mac,
                         std::string localName) {
  Wait();
  worker_ = std::jthread(
      [&engine, ip = std::move(ip), mac = std::move(mac), name = std::move(localName)] {
        // The name converted for the device and cut at a character boundary to
        // its 32-byte area.
        const CommandPayload payload = SetNamePayload(name);
        engine.SendToDevice(ip, kMsgSetName, payload, mac, true);
      });
}

void CRenameSender::Wait() {
  if (worker_.joinable()) {
    worker_.request_stop();
    worker_.join();
  }
}
