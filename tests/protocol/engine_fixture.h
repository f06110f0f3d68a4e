#pragma once
// An engine over a real store in a temporary directory, a recording transport,
// a manual clock and one made-up adapter 10.77.0.1/16.

#include <memory>

#include "protocol/device_engine.h"
#include "store/sql_management.h"
#include "tests/protocol/engine_fakes.h"
#include "tests/util/temp_directory.h"

class EngineFixture {
 public:
  explicit EngineFixture(std::vector<CFakeAdapterSource::Adapter> adapters =
                             {{"eth0", {{"10.77.0.1", "255.255.0.0"}}}},
                         std::size_t queueCapacity = kDefaultQueueCapacity)
      : clock(std::make_shared<CManualClock>()), store(dir.path() / "data.db") {
    auto transportOwned = std::make_unique<CFakeTransport>(clock);
    auto adaptersOwned = std::make_unique<CFakeAdapterSource>(std::move(adapters));
    transport = transportOwned.get();
    adapterSource = adaptersOwned.get();
    EngineOptions options;
    options.transport = std::move(transportOwned);
    options.clock = clock;
    options.adapters = std::move(adaptersOwned);
    options.queue_capacity = queueCapacity;
    engine = std::make_unique<CDeviceEngine>(store, std::move(options));
    engine->RefreshAdapters();
  }

  // Runs one datagram through the handler of `socket` on this thread.
  bool Feed(EngineSocket socket, const std::vector<uint8_t>& datagram, const std::string& fromIp) {
    return engine->ProcessDatagram(socket, datagram, Address(fromIp));
  }
  // Announcement and accepted report: the device is reported and stored.
  void Report(const std::string& mac, const std::string& ip) {
    Feed(EngineSocket::kAnnounce, Announcement(mac), ip);
    Feed(EngineSocket::kReply, ::Report(mac, ip), ip);
  }
  std::optional<DeviceEntry> Entry(const std::string& mac) const {
    for (const DeviceEntry& entry : engine->OnlineDevices()) {
      if (entry.mac == mac) return entry;
    }
    return std::nullopt;
  }
  std::vector<std::string> StoredMacs() {
    std::vector<std::string> macs;
    store.GetAllMacs(macs);
    return macs;
  }

  TempDirectory dir;
  std::shared_ptr<CManualClock> clock;
  CSqlManagement store;
  CFakeTransport* transport = nullptr;
  CFakeAdapterSource* adapterSource = nullptr;
  std::unique_ptr<CDeviceEngine> engine;
};
