// Device engine figures, each the median of several runs:
//   engine_stop_ms            Stop of a started engine on real loopback sockets
//                             (target: under 100 ms)
//   engine_ingest_devices_per_s  announcement and full report handled and
//                             stored, per device, through the real store

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "protocol/device_engine.h"
#include "protocol/udp_datagram_transport.h"
#include "store/device_text.h"
#include "store/sql_management.h"
#include "tests/protocol/engine_fakes.h"
#include "tests/util/temp_directory.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double StopMilliseconds(CSqlManagement& store) {
  UdpPorts ports;
  const auto base = static_cast<uint16_t>(44000 + (getpid() % 1000) * 4);
  ports.announce = base;
  ports.search = static_cast<uint16_t>(base + 1);
  ports.keepalive = ports.device = static_cast<uint16_t>(base + 2);
  ports.reply = static_cast<uint16_t>(base + 3);
  EngineOptions options;
  options.transport = std::make_unique<CUdpDatagramTransport>(ports);
  options.adapters = std::make_unique<CFakeAdapterSource>();
  CDeviceEngine engine(store, std::move(options));
  if (!engine.Start(2000, 3)) return -1;
  usleep(20000);  // every receiver blocked in recvfrom
  const auto start = Clock::now();
  engine.Stop();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double IngestRate(int devices) {
  TempDirectory dir;
  CSqlManagement store(dir.path() / "data.db");
  EngineOptions options;
  options.transport = std::make_unique<CFakeTransport>();
  options.adapters = std::make_unique<CFakeAdapterSource>(
      std::vector<CFakeAdapterSource::Adapter>{{"eth0", {{"10.77.0.1", "255.255.0.0"}}}});
  CDeviceEngine engine(store, std::move(options));
  engine.RefreshAdapters();
  std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> datagrams;
  std::vector<sockaddr_in> senders;
  for (int i = 0; i < devices; ++i) {
    const uint8_t mac[6] = {0x02, 0, 0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
    const uint8_t ip[4] = {10, 77, static_cast<uint8_t>(1 + i / 250), static_cast<uint8_t>(1 + i % 250)};
    datagrams.emplace_back(Announcement(MacText(mac)), Report(MacText(mac), IpText(ip)));
    senders.push_back(Address(IpText(ip)));
  }
  const auto start = Clock::now();
  for (int i = 0; i < devices; ++i) {
    engine.ProcessDatagram(EngineSocket::kAnnounce, datagrams[i].first, senders[i]);
    engine.ProcessDatagram(EngineSocket::kReply, datagrams[i].second, senders[i]);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return devices / seconds;
}

}  // namespace

int main() {
  TempDirectory dir;
  CSqlManagement store(dir.path() / "data.db");
  std::vector<double> stops;
  for (int run = 0; run < 15; ++run) stops.push_back(StopMilliseconds(store));
  std::printf("engine_stop_ms %.3f\n", Median(stops));
  std::vector<double> rates;
  for (int run = 0; run < 3; ++run) rates.push_back(IngestRate(10000));
  std::printf("engine_ingest_devices_per_s %.0f\n", Median(rates));
  return 0;
}
