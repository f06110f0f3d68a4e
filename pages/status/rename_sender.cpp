#include "pages/status/rename_sender.h"

#include <algorithm>

#include "protocol/datagram.h"
#include "protocol/device_engine.h"
#include "util/text_encoding.h"

SetNamePayload BuildSetNamePayload(std::string_view localName) {
  const std::string deviceText = LocalTextToDevice(localName);
  const std::string_view name = CutAtCharacterBoundary(deviceText, kDeviceNameArea);
  SetNamePayload payload{};
  std::copy(name.begin(), name.end(), payload.begin());
  payload[kDeviceNameArea] = static_cast<uint8_t>(name.size());
  return payload;
}

void CRenameSender::Send(CDeviceEngine& engine, std::string ip, std::string mac, std::string localName) {
  Wait();
  worker_ = std::jthread([&engine, ip = std::move(ip), mac = std::move(mac), name = std::move(localName)] {
    const SetNamePayload payload = BuildSetNamePayload(name);
    engine.SendToDevice(ip, kMsgSetName, payload, mac, true);
  });
}

void CRenameSender::Wait() {
  if (worker_.joinable()) {
    worker_.request_stop();
    worker_.join();
  }
}
