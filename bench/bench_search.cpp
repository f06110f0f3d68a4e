// Search benchmarks over a veth pair with devsim on the far side: time until
// every device's row is stored (1,000 and 10,000 devices) against the floor of
// four datagrams per device at the measured one-sender rate, resident memory
// with 10,000 devices online, a flood of a million hostile datagrams during a
// search of 100 devices, and the CPU of the idle engine with 1,000 devices
// sending keepalives. Prints one "name value unit" line per figure (medians).
// Needs root for the namespaces; says so and exits 0 otherwise.

#include <arpa/inet.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "protocol/datagram.h"
#include "protocol/device_engine.h"
#include "sim/testbed.h"
#include "store/sql_management.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Print(const char* name, double value, const char* unit) {
  std::printf("%s %.4g %s\n", name, value, unit);
  std::fflush(stdout);
}

// Runs `body` on a thread that lives in the device namespace.
std::thread InDeviceNamespace(const std::string& ns, std::function<void()> body) {
  return std::thread([ns, body = std::move(body)] {
    const int fd = open(("/var/run/netns/" + ns).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || setns(fd, CLONE_NEWNET) != 0) {
      std::fprintf(stderr, "bench: cannot enter %s\n", ns.c_str());
      return;
    }
    close(fd);
    body();
  });
}

sockaddr_in Address(const char* ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, ip, &a.sin_addr);
  return a;
}

// Small datagrams a second from one socket with one sendto each, as the
// engine sends, across the veth pair to a sink that drains them.
double MeasureSenderRate(const TestNetwork& network) {
  std::atomic<bool> ready{false}, done{false};
  std::thread sink = InDeviceNamespace(network.DeviceNamespace(), [&] {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in local = Address("0.0.0.0", 9999);
    bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    const int big = 64 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &big, sizeof big);
    timeval wait{0, 100000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ready = true;
    char buffer[2048];
    while (!done) recv(fd, buffer, sizeof buffer, 0);
    close(fd);
  });
  while (!ready) std::this_thread::sleep_for(1ms);
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  const sockaddr_in to = Address("10.77.0.2", 9999);
  uint8_t datagram[56] = {0x86, 0x19};
  std::vector<double> rates;
  for (int run = 0; run < 5; ++run) {
    constexpr int kCount = 200000;
    const auto start = Clock::now();
    for (int i = 0; i < kCount; ++i) {
      sendto(fd, datagram, sizeof datagram, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    rates.push_back(kCount / Seconds(Clock::now() - start));
  }
  close(fd);
  done = true;
  sink.join();
  return Median(rates);
}

struct EngineRun {
  std::unique_ptr<CSqlManagement> store;
  std::unique_ptr<CDeviceEngine> engine;
};

EngineRun StartEngine(const std::filesystem::path& folder) {
  EngineRun run;
  std::filesystem::remove(folder / "data.db");
  run.store = std::make_unique<CSqlManagement>(folder / "data.db");
  run.engine = std::make_unique<CDeviceEngine>(*run.store);
  if (!run.engine->Start(2000, 3)) std::fprintf(stderr, "bench: engine did not start\n");
  return run;
}

// Datagrams the kernel dropped on the engine's sockets (full receive
// buffers), by local port, from /proc/net/udp of the program's namespace.
std::string KernelDrops() {
  FILE* table = std::fopen("/proc/net/udp", "r");
  if (!table) return "?";
  std::string result;
  char line[512];
  while (std::fgets(line, sizeof line, table)) {
    unsigned localPort = 0;
    unsigned long drops = 0;
    if (std::sscanf(line, " %*d: %*8x:%4x %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %lu",
                    &localPort, &drops) == 2 &&
        localPort >= kAnnouncePort && localPort <= kReplyPort) {
      result += " " + std::to_string(localPort) + ":" + std::to_string(drops);
    }
  }
  std::fclose(table);
  return result;
}

std::size_t StoredRows(CSqlManagement& store) {
  std::vector<std::string> macs;
  store.GetAllMacs(macs);
  return macs.size();
}

// Seconds from SearchDevices until `count` rows are stored, or -1.
double TimeSearch(EngineRun& run, std::size_t count, Clock::duration timeout) {
  const auto start = Clock::now();
  run.engine->SearchDevices();
  // The counter is cheap to poll; the rows are counted once it says enough,
  // and then every 5 ms, since repeated reports also count.
  while (Clock::now() - start < timeout) {
    if (run.engine->Counters().reports_stored >= count) {
      if (StoredRows(*run.store) >= count) return Seconds(Clock::now() - start);
      std::this_thread::sleep_for(4ms);
    }
    std::this_thread::sleep_for(1ms);
  }
  return -1;
}

// `spreadMs`: devsim's answer spread (0: every device answers the search at
// once, as a burst).
void BenchSearch(const TestNetwork& network, const std::filesystem::path& folder,
                 std::size_t devices, int runs, double senderRate, double limitSeconds,
                 int spreadMs) {
  DevsimProcess devsim;
  std::string error;
  if (!devsim.Start(network.DeviceNamespace(),
                    {"--count", std::to_string(devices), "--spread", std::to_string(spreadMs)},
                    error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return;
  }
  const auto timeout = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(std::max(10.0, 10 * limitSeconds + spreadMs / 1000.0)));
  std::vector<double> times, rss;
  int failures = 0;
  for (int r = 0; r < runs; ++r) {
    EngineRun run = StartEngine(folder);
    const double t = TimeSearch(run, devices, timeout);
    if (t < 0) {
      ++failures;
      const EngineCounters c = run.engine->Counters();
      std::fprintf(stderr,
                   "bench: run %d stored %zu of %zu rows; engine received %zu/%zu/%zu, queue "
                   "drops %zu/%zu/%zu; kernel drops%s\n",
                   r, StoredRows(*run.store), devices, c.received[0], c.received[1],
                   c.received[2], c.dropped[0], c.dropped[1], c.dropped[2], KernelDrops().c_str());
    } else {
      times.push_back(t);
      rss.push_back(ResidentKilobytes() / 1024.0);
    }
    run.engine->Stop();
    std::this_thread::sleep_for(300ms);  // devsim takes in the releases
  }
  const std::string n = "search_" + std::to_string(devices) + "_devices_spread_" +
                        std::to_string(spreadMs) + "ms";
  const double median = Median(times);
  const double floor = 4.0 * static_cast<double>(devices) / senderRate;
  Print((n + "_s").c_str(), median, "s (-1: no run stored every row)");
  Print((n + "_limit_s").c_str(), limitSeconds, "s");
  Print((n + "_floor_s").c_str(), floor, "s");
  Print((n + "_ratio_to_floor").c_str(), median / floor, "x");
  Print((n + "_runs_complete").c_str(), static_cast<double>(runs - failures), "runs");
  if (!rss.empty()) Print((n + "_engine_rss_MB").c_str(), Median(rss), "MB");
}

// Sends a million datagrams from the device namespace into the three ports:
// random bytes of random length, and every other one a valid header of the
// type the port takes with a random MAC, length field and payload.
void Flood(std::atomic<long>& sent, uint64_t seed) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  std::mt19937_64 rng(seed);
  const uint16_t ports[] = {kAnnouncePort, kKeepalivePort, kReplyPort};
  uint8_t datagram[kMaxDatagramSize];
  for (long i = 0; i < 1000000; ++i) {
    const uint16_t port = ports[i % 3];
    const std::size_t length = 1 + rng() % kMaxDatagramSize;
    for (std::size_t k = 0; k < length; k += 8) {
      const uint64_t r = rng();
      std::memcpy(datagram + k, &r, std::min<std::size_t>(8, length - k));
    }
    if (i % 2 == 1 && length >= kDatagramHeaderSize) {
      datagram[0] = 0x86;
      datagram[1] = 0x19;
      const uint16_t type = port == kAnnouncePort    ? uint16_t{kMsgDiscover}
                            : port == kKeepalivePort ? uint16_t{kMsgKeepalive}
                                                     : static_cast<uint16_t>(1 + rng() % 19);
      datagram[4] = static_cast<uint8_t>(type);
      datagram[5] = 0;
    }
    const sockaddr_in to = Address("10.77.0.1", port);
    if (sendto(fd, datagram, length, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) > 0) {
      ++sent;
    }
  }
  close(fd);
}

// Three floods of a million datagrams into one engine; 100 devices are
// searched during the first. The later ones show whether memory keeps growing.
void BenchFlood(const TestNetwork& network, const std::filesystem::path& folder) {
  DevsimProcess devsim;
  std::string error;
  if (!devsim.Start(network.DeviceNamespace(), {"--count", "100", "--seed", "9"}, error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return;
  }
  EngineRun run = StartEngine(folder);
  const double rssBefore = ResidentKilobytes() / 1024.0;
  Print("flood_rss_before_MB", rssBefore, "MB");
  for (int round = 1; round <= 3; ++round) {
    std::atomic<long> sent{0};
    std::atomic<bool> flooding{true};
    std::thread flood = InDeviceNamespace(network.DeviceNamespace(), [&] {
      Flood(sent, 99 + round);
      flooding = false;
    });
    const auto start = Clock::now();
    double rssPeak = 0;
    double foundAfter = -1;
    bool searching = false;
    Clock::time_point searchStart{}, lastSearch{};
    while (flooding) {
      // Search once the flood is in full swing, as the Status page would.
      if (round == 1 && !searching && sent > 100000) {
        searching = true;
        searchStart = Clock::now();
        lastSearch = searchStart - 1s;
      }
      if (searching && foundAfter < 0) {
        if (Clock::now() - lastSearch >= 500ms) {
          run.engine->SearchDevices();
          lastSearch = Clock::now();
        }
        if (StoredRows(*run.store) >= 100) foundAfter = Seconds(Clock::now() - searchStart);
      }
      rssPeak = std::max(rssPeak, ResidentKilobytes() / 1024.0);
      std::this_thread::sleep_for(20ms);
    }
    const double floodSeconds = Seconds(Clock::now() - start);
    flood.join();
    const std::string r = "flood_round" + std::to_string(round);
    Print((r + "_datagrams_sent").c_str(), static_cast<double>(sent), "datagrams");
    Print((r + "_rate").c_str(), sent / floodSeconds, "datagrams/s");
    if (round == 1) {
      Print("flood_devices_found", static_cast<double>(StoredRows(*run.store)), "of 100");
      Print("flood_search_complete_s", foundAfter, "s after the first search (-1: not all)");
    }
    Print((r + "_rss_peak_MB").c_str(), rssPeak, "MB");
    Print((r + "_online_entries").c_str(), static_cast<double>(run.engine->OnlineDevices().size()),
          "entries");
    Print((r + "_pending_commands").c_str(),
          static_cast<double>(run.engine->PendingCommands().size()), "commands");
  }
  std::this_thread::sleep_for(10s);  // the made-up devices' requests run out of retries
  Print("flood_rss_10s_after_MB", ResidentKilobytes() / 1024.0, "MB");
  Print("flood_pending_10s_after", static_cast<double>(run.engine->PendingCommands().size()),
        "commands");
  const EngineCounters counters = run.engine->Counters();
  Print("flood_queue_drops",
        static_cast<double>(counters.dropped[0] + counters.dropped[1] + counters.dropped[2]),
        "datagrams");
  Print("flood_engine_running", run.engine->IsRunning() ? 1 : 0, "bool");
  run.engine->Stop();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
         usage.ru_stime.tv_usec * 1e-6;
}

void BenchIdleCpu(const TestNetwork& network, const std::filesystem::path& folder) {
  DevsimProcess devsim;
  std::string error;
  if (!devsim.Start(network.DeviceNamespace(), {"--count", "1000", "--keepalive", "1"}, error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return;
  }
  EngineRun run = StartEngine(folder);
  if (TimeSearch(run, 1000, 30s) < 0) std::fprintf(stderr, "bench: not every device found\n");
  std::this_thread::sleep_for(2s);
  std::vector<double> percents;
  for (int i = 0; i < 3; ++i) {
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(5s);
    percents.push_back(100.0 * (CpuSeconds() - cpu) / Seconds(Clock::now() - start));
  }
  Print("idle_cpu_1000_devices_keepalive_1s_percent", Median(percents), "% of one core");
  Print("idle_online_devices", static_cast<double>(run.engine->OnlineDevices().size()), "devices");
  run.engine->Stop();
}

}  // namespace

int main(int argc, char** argv) {
  if (!RunningAsRoot()) {
    std::printf("bench_search: needs root for its network namespaces; skipped\n");
    return 0;
  }
  const std::string only = argc > 1 ? argv[1] : "";
  TestNetwork network("bsearch", {"10.77"});
  std::string error;
  if (!network.Up(error) || !network.EnterProgramSide(error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return 1;
  }
  setenv("HOSTNICS_INCLUDE", network.Include().c_str(), 1);
  const auto folder = std::filesystem::temp_directory_path() / "bench_search";
  std::filesystem::create_directories(folder);

  const double rate = MeasureSenderRate(network);
  Print("one_sender_rate", rate, "datagrams/s");
  if (only.empty() || only == "search") {
    BenchSearch(network, folder, 1000, 5, rate, 0.5, 0);
    BenchSearch(network, folder, 10000, 3, rate, 3.0, 0);
    // Devices that answer over a second lose nothing in the program's
    // announcement buffer, which shows the engine's own pace.
    BenchSearch(network, folder, 10000, 3, rate, 3.0, 1000);
  }
  if (only == "spread") BenchSearch(network, folder, 10000, 1, rate, 3.0, 1000);
  if (only.empty() || only == "flood") BenchFlood(network, folder);
  if (only.empty() || only == "idle") BenchIdleCpu(network, folder);
  std::filesystem::remove_all(folder);
  return 0;
}
