#include "cli/devicectl_commands.h"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstring>
#include <iomanip>
#include <limits>
#include <thread>

#include "cli/command_session.h"
#include "cli/device_json.h"
#include "protocol/device_engine.h"
#include "settings/app_settings.h"
#include "store/device_text.h"
#include "store/sql_management.h"

namespace {

constexpr int kDefaultSearchSeconds = 10;
constexpr auto kSearchRepeat = std::chrono::seconds(3);

constexpr const char* kAdaptersHelp =
    "Usage: devicectl adapters [--json]\n"
    "Lists the local network adapters and IPv4 addresses the device engine uses.\n"
    "  --json   print a JSON array of adapter objects\n";
constexpr const char* kSearchHelp =
    "Usage: devicectl search [--seconds N] [--json]\n"
    "Searches the local network for devices for N seconds (default 10), sending a\n"
    "new search every 3 seconds, then lists every device found.\n"
    "  --seconds N   how long to search (0 to 86400)\n"
    "  --json        print a JSON array of device objects keyed by column name\n";

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

// Ctrl-C ends the search early but still lists and releases the devices.
void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

struct Options {
  bool help = false;
  bool json = false;
  int seconds = kDefaultSearchSeconds;
};

bool ParseOptions(const std::vector<std::string>& args, bool takesSeconds, Options& options,
                  std::ostream& err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (takesSeconds && arg == "--seconds" && i + 1 < args.size()) {
      const std::string& value = args[++i];
      int seconds = -1;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (error != std::errc() || end != value.data() + value.size() || seconds < 0 || seconds > 86400) {
        err << "devicectl: --seconds needs a whole number from 0 to 86400, not '" << value << "'\n";
        return false;
      }
      options.seconds = seconds;
    } else {
      err << "devicectl: unknown option '" << arg << "' (see --help)\n";
      return false;
    }
  }
  return true;
}

std::string Area(const char* area, std::size_t size, uint8_t length) {
  return std::string(area, std::min<std::size_t>(length, size));
}

std::string Text(const char* area, std::size_t size) { return std::string(area, strnlen(area, size)); }

void PrintDeviceTable(const std::vector<ap_info_stu>& devices, std::ostream& out) {
  out << std::left << std::setw(18) << "MAC" << "  " << std::setw(15) << "IP" << "  " << std::setw(8)
      << "Type" << "  " << std::setw(10) << "Status" << "  " << std::setw(16) << "Name" << "  "
      << std::setw(12) << "Version" << "  " << std::setw(16) << "SSID" << "  " << std::setw(7)
      << "Channel" << "  " << "Up time" << "\n";
  for (const ap_info_stu& d : devices) {
    const std::string status = d.ap_status == kStatusAnnounced ? "Announced" : StatusText(d.ap_status);
    out << std::setw(18) << Text(d.mac, sizeof d.mac) << "  " << std::setw(15) << IpText(d.ip) << "  "
        << std::setw(8) << ModelText(d.ap_type) << "  " << std::setw(10) << status << "  "
        << std::setw(16) << Area(d.ap_name, sizeof d.ap_name, d.ap_name_len) << "  " << std::setw(12)
        << Area(d.version, sizeof d.version, d.version_len) << "  " << std::setw(16)
        << Area(d.ssid, sizeof d.ssid, d.ssid_len) << "  " << std::setw(7) << ChannelText(d.channel)
        << "  " << UpTimeText(d.up_time) << "\n";
  }
  out << devices.size() << (devices.size() == 1 ? " device\n" : " devices\n");
}

void PrintAdapterTable(const std::vector<HostNicsInfo>& adapters, std::ostream& out) {
  for (const HostNicsInfo& a : adapters) {
    out << Text(a.adapter_name, sizeof a.adapter_name) << "  " << MacText(a.hardware_address) << "  "
        << Text(a.description, sizeof a.description) << "\n";
    for (int i = 0; i < std::clamp(a.address_count, 0, kHostNicMaxAddresses); ++i) {
      const HostNicAddress& address = a.addresses[i];
      out << "    " << Text(address.ip, sizeof address.ip) << "/" << Text(address.mask, sizeof address.mask);
      const std::string gateway = Text(address.gateway, sizeof address.gateway);
      if (!gateway.empty()) out << " via " << gateway;
      out << "\n";
    }
    const std::string dns1 = Text(a.dns1, sizeof a.dns1), dns2 = Text(a.dns2, sizeof a.dns2);
    if (!dns1.empty()) out << "    DNS " << dns1 << (dns2.empty() ? "" : " " + dns2) << "\n";
  }
  if (adapters.empty()) out << "no usable adapter: searches go to 255.255.255.255 only\n";
}

template <typename T, typename ToJson>
void PrintJsonArray(const std::vector<T>& items, ToJson toJson, std::ostream& out) {
  out << "[";
  for (std::size_t i = 0; i < items.size(); ++i) out << (i > 0 ? ",\n " : "\n ") << toJson(items[i]);
  out << (items.empty() ? "]\n" : "\n]\n");
}

// Every stored row in one query, ordered by address: the engine may still
// be adding rows, and one page holding all of them is one consistent view.
std::vector<ap_info_stu> StoredDevices(CSqlManagement& store) {
  std::vector<ap_info_stu> devices;
  int pages = 0, total = 0;
  if (!store.QueryDevicePage(1, std::numeric_limits<int>::max(), 1, 1, "", devices, pages,
                             total)) {
    return {};
  }
  return devices;
}

}  // namespace

int RunAdaptersCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  if (!ParseOptions(args, false, options, err)) return kExitUsage;
  if (options.help) {
    out << kAdaptersHelp;
    return kExitSuccess;
  }
  if (!TakeInstanceLock(err)) return kExitFailure;
  const std::vector<HostNicsInfo> adapters = CDeviceEngine::Instance().RefreshAdapters();
  if (options.json) {
    PrintJsonArray(adapters, AdapterJson, out);
  } else {
    PrintAdapterTable(adapters, out);
  }
  return kExitSuccess;
}

int RunSearchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  if (!ParseOptions(args, true, options, err)) return kExitUsage;
  if (options.help) {
    out << kSearchHelp;
    return kExitSuccess;
  }
  if (!TakeInstanceLock(err)) return kExitFailure;

  const AppSettings settings = ReadAppSettings();
  CDeviceEngine& engine = CDeviceEngine::Instance();
  if (!engine.Start(settings.retransmission_interval, settings.retransmission_max)) {
    err << "devicectl: cannot open the device ports 9785 to 9788 (is another program using them?)\n";
    return kExitFailure;
  }
  CatchInterrupts();
  // As the Status page's Search button: forget what only announced itself and
  // the rows of devices gone, then search, and again every 3 seconds.
  engine.ReleaseAnnounced();
  engine.DropAnnounced();
  engine.PurgeStale();
  engine.SearchDevices();
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::seconds(options.seconds);
  auto nextSearch = start + kSearchRepeat;
  while (!g_interrupted && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (std::chrono::steady_clock::now() >= nextSearch && std::chrono::steady_clock::now() < end) {
      engine.SearchDevices();
      nextSearch += kSearchRepeat;
    }
  }

  std::vector<ap_info_stu> devices = StoredDevices(CSqlManagement::Instance());
  const std::vector<ap_info_stu> announced = engine.CopyAnnounced();
  devices.insert(devices.end(), announced.begin(), announced.end());
  if (options.json) {
    PrintJsonArray(devices, DeviceJson, out);
  } else {
    PrintDeviceTable(devices, out);
  }
  engine.Stop();
  return kExitSuccess;
}
