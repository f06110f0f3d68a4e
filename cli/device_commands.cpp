// The device commands of devicectl: each searches for the named devices,
// sends as the program's pages send, waits for the answers and prints each
// device's resulting status.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iomanip>
#include <map>
#include <set>
#include <thread>

#include "cli/command_session.h"
#include "cli/device_json.h"
#include "cli/devicectl_commands.h"
#include "forms/rules/address_walk.h"
#include "forms/rules/ip_checks.h"
#include "forms/rules/utf16_text.h"
#include "protocol/command_payloads.h"
#include "protocol/datagram.h"
#include "store/device_text.h"
#include "store/sql_management.h"
#include "util/ini_file.h"
#include "util/program_paths.h"
#include "util/text_encoding.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr int kDefaultSearchSeconds = 10;
constexpr int kDefaultSurveySeconds = 10;
constexpr int kDefaultTransferSeconds = 120;
constexpr int kDefaultUpgradeSeconds = 130;
constexpr int kDefaultTftpPort = 69;
constexpr std::size_t kMaxUpgradeDevices = 10;
// Devices that other devices use as their access point restart first, the
// others this much later, so that the stations find their access point again.
constexpr auto kStationDelay = 200ms;

constexpr const char* kSearchOption =
    "  --search-seconds N   search at most N seconds for the devices (default 10)\n";

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  bool help = false;
};

bool Parse(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
           const std::set<std::string>& flagOptions, Arguments& parsed, std::ostream& err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
    } else if (arg == "--search-seconds" || valueOptions.contains(arg)) {
      if (i + 1 >= args.size()) {
        err << "devicectl: " << arg << " needs a value\n";
        return false;
      }
      parsed.values[arg] = args[++i];
    } else if (flagOptions.contains(arg)) {
      parsed.flags.insert(arg);
    } else if (arg.starts_with("--")) {
      err << "devicectl: unknown option '" << arg << "' (see --help)\n";
      return false;
    } else {
      parsed.positional.push_back(arg);
    }
  }
  return true;
}

bool Number(const Arguments& parsed, const std::string& option, int low, int high, int& value,
            std::ostream& err) {
  const auto found = parsed.values.find(option);
  if (found == parsed.values.end()) return true;
  const std::string& text = found->second;
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < low || number > high) {
    err << "devicectl: " << option << " needs a whole number from " << low << " to " << high
        << ", not '" << text << "'\n";
    return false;
  }
  value = number;
  return true;
}

std::string Value(const Arguments& parsed, const std::string& option) {
  const auto found = parsed.values.find(option);
  return found == parsed.values.end() ? std::string() : found->second;
}

bool Macs(const std::vector<std::string>& texts, std::vector<std::string>& macs,
          std::ostream& err) {
  if (texts.empty()) {
    err << "devicectl: name at least one device by its MAC address\n";
    return false;
  }
  for (const std::string& text : texts) {
    const std::optional<std::string> mac = NormalisedMac(text);
    if (!mac) {
      err << "devicectl: '" << text << "' is not a MAC address (aa:bb:cc:dd:ee:ff)\n";
      return false;
    }
    if (std::find(macs.begin(), macs.end(), *mac) != macs.end()) {
      err << "devicectl: " << *mac << " is named twice\n";
      return false;
    }
    macs.push_back(*mac);
  }
  return true;
}

// Searches, then the devices that can be sent to; nothing when the engine
// cannot start.
std::optional<std::vector<CommandTarget>> Prepare(CCommandSession& session, const Arguments& parsed,
                                                  const std::vector<std::string>& macs,
                                                  int& exitStatus) {
  int searchSeconds = kDefaultSearchSeconds;
  if (!Number(parsed, "--search-seconds", 0, 86400, searchSeconds, session.err())) {
    exitStatus = kExitUsage;
    return std::nullopt;
  }
  if (!session.Start()) {
    exitStatus = kExitFailure;
    return std::nullopt;
  }
  session.SearchFor(macs, std::chrono::seconds(searchSeconds));
  return session.Resolve(macs);
}

// Sends one command to every target and waits for each acknowledgement.
void SendAndAwaitAcknowledgements(
    CCommandSession& session, const std::vector<CommandTarget>& targets, uint16_t type,
    const std::function<CommandPayload(const CommandTarget&)>& payload) {
  CDeviceEngine& engine = session.engine();
  std::vector<std::size_t> before;
  std::vector<bool> sent;
  for (const CommandTarget& target : targets) {
    before.push_back(engine.Acknowledgements(target.mac, type));
    sent.push_back(engine.SendToDevice(target.ip, type, payload(target), target.mac, true));
  }
  const auto acknowledged = [&](std::size_t i) {
    return engine.Acknowledgements(targets[i].mac, type) > before[i];
  };
  CCommandSession::WaitUntil(
      [&] {
        for (std::size_t i = 0; i < targets.size(); ++i) {
          if (sent[i] && !acknowledged(i)) return false;
        }
        return true;
      },
      session.AnswerTime());
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const bool ok = sent[i] && acknowledged(i);
    if (!ok) session.CountFailure();
    session.PrintResult(targets[i], !sent[i] ? "not sent" : ok ? "acknowledged" : "no answer");
  }
}

int Usage(std::ostream& out, const char* help) {
  out << help << kSearchOption;
  return kExitSuccess;
}

constexpr const char* kSetNameHelp =
    "Usage: devicectl set-name MAC NAME [--search-seconds N]\n"
    "Renames one device (at most 32 bytes of UTF-8 are sent) and waits for its\n"
    "acknowledgement.\n";

constexpr const char* kSetIpHelp =
    "Usage: devicectl set-ip MAC... --first A [--last B] --mask M [--gateway G]\n"
    "                  [--dns1 D] [--dns2 D] [--search-seconds N]\n"
    "Gives the devices static addresses: one device takes A; several take the\n"
    "addresses from A to B in order, skipping those ending in .0 and .255. Devices\n"
    "left without an address keep theirs.\n";

constexpr const char* kRebootHelp =
    "Usage: devicectl reboot MAC... [--search-seconds N]\n"
    "Restarts the devices: those with stations bridged to them first, the others\n"
    "200 ms later. Succeeds when every device reports \"Restarting\".\n";

constexpr const char* kResetHelp =
    "Usage: devicectl reset MAC... [--search-seconds N]\n"
    "Returns the devices to factory settings: those with stations bridged to them\n"
    "first, the others 200 ms later. Succeeds when every device reports \"Reseting\".\n";

constexpr const char* kTransparentBridgeHelp =
    "Usage: devicectl transparent-bridge on|off MAC... [--search-seconds N]\n"
    "Switches the devices' transparent bridge on or off.\n";

constexpr const char* kRvSyncHelp =
    "Usage: devicectl rv-sync on|off MAC... [--search-seconds N]\n"
    "Switches the devices' RV-SYNC (TDMA) mode on or off.\n";

constexpr const char* kSurveyHelp =
    "Usage: devicectl survey MAC [--json] [--seconds N] [--search-seconds N]\n"
    "Asks one device to scan for neighbouring access points and lists them,\n"
    "strongest signal first. Waits at most N seconds (default 10) for the scan.\n"
    "  --json   print a JSON array of neighbour objects\n";

constexpr const char* kUpgradeHelp =
    "Usage: devicectl upgrade --file F.bin MAC... [--port P] [--transfer-seconds N]\n"
    "                  [--upgrade-seconds N] [--search-seconds N]\n"
    "Upgrades the firmware of up to ten devices of one model. The TFTP server\n"
    "service/FileServer beside devicectl serves the file's folder on UDP port P\n"
    "(default 69) while the devices fetch it. Phase one (at most 120 s) waits for\n"
    "the transfer, phase two (at most 130 s) for the devices to report the end.\n";

// Reboot and reset: stations' access points first.
int RunRestartCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      uint16_t type, int expectedStatus, const char* help) {
  Arguments parsed;
  if (!Parse(args, {}, {}, parsed, err)) return kExitUsage;
  if (parsed.help) return Usage(out, help);
  std::vector<std::string> macs;
  if (!Macs(parsed.positional, macs, err)) return kExitUsage;
  CCommandSession session(out, err);
  int exitStatus = kExitSuccess;
  const auto targets = Prepare(session, parsed, macs, exitStatus);
  if (!targets) return exitStatus;

  CDeviceEngine& engine = session.engine();
  std::vector<std::size_t> before;
  for (const CommandTarget& target : *targets)
    before.push_back(engine.Acknowledgements(target.mac, type));
  std::vector<bool> sent(targets->size());
  std::vector<std::size_t> later;
  for (std::size_t i = 0; i < targets->size(); ++i) {
    const CommandTarget& target = (*targets)[i];
    if (session.store().HasBridgedStations(target.mac)) {
      sent[i] = engine.SendToDevice(target.ip, type, {}, target.mac, true);
    } else {
      later.push_back(i);
    }
  }
  if (!later.empty() && later.size() < targets->size()) std::this_thread::sleep_for(kStationDelay);
  for (std::size_t i : later) {
    sent[i] = engine.SendToDevice((*targets)[i].ip, type, {}, (*targets)[i].mac, true);
  }

  // A device may be back and reported afresh before the last one answers,
  // so each one's status is caught when it is first seen. A device that
  // answered without reaching it (a refusal) is settled shortly after its
  // answer, once the answer's status has been written.
  std::vector<bool> reached(targets->size());
  std::vector<std::optional<std::chrono::steady_clock::time_point>> answeredAt(targets->size());
  constexpr auto kSettle = 200ms;
  CCommandSession::WaitUntil(
      [&] {
        bool all = true;
        const auto now = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < targets->size(); ++i) {
          if (!sent[i] || reached[i]) continue;
          const std::string& mac = (*targets)[i].mac;
          reached[i] = session.store().GetDeviceStatus(mac) == expectedStatus;
          if (!answeredAt[i] && engine.Acknowledgements(mac, type) > before[i]) answeredAt[i] = now;
          all = all && (reached[i] || (answeredAt[i] && now - *answeredAt[i] >= kSettle));
        }
        return all;
      },
      session.AnswerTime());
  for (std::size_t i = 0; i < targets->size(); ++i) {
    if (!reached[i]) session.CountFailure();
    session.PrintResult((*targets)[i], !sent[i]        ? "not sent"
                                       : reached[i]    ? "acknowledged"
                                       : answeredAt[i] ? "refused"
                                                       : "no answer");
  }
  return session.ExitStatus();
}

int RunSwitchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     uint16_t type, const char* help) {
  Arguments parsed;
  if (!Parse(args, {}, {}, parsed, err)) return kExitUsage;
  if (parsed.help) return Usage(out, help);
  if (parsed.positional.empty() ||
      (parsed.positional[0] != "on" && parsed.positional[0] != "off")) {
    err << "devicectl: say 'on' or 'off' first (see --help)\n";
    return kExitUsage;
  }
  const bool on = parsed.positional[0] == "on";
  std::vector<std::string> macs;
  if (!Macs({parsed.positional.begin() + 1, parsed.positional.end()}, macs, err)) return kExitUsage;
  CCommandSession session(out, err);
  int exitStatus = kExitSuccess;
  const auto targets = Prepare(session, parsed, macs, exitStatus);
  if (!targets) return exitStatus;
  const CommandPayload payload =
      type == kMsgSetTransparentBridge ? SetTransparentBridgePayload(on) : SetTdmaPayload(on);
  SendAndAwaitAcknowledgements(session, *targets, type,
                               [&](const CommandTarget&) { return payload; });
  return session.ExitStatus();
}

std::string ShortText(const char* area, std::size_t size, uint8_t length) {
  return std::string(area, std::min<std::size_t>(length, size));
}

// The TFTP server beside devicectl, started for one upgrade and ended after.
class CFileServerRun {
 public:
  ~CFileServerRun() { Stop(); }
  bool Start(const std::filesystem::path& program, std::ostream& err) {
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
      err << "devicectl: cannot start " << program.string() << "\n";
      pid_ = -1;
      return false;
    }
    return true;
  }
  // False once the server has ended, as it does when it cannot serve.
  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
  }
  void Stop() {
    if (!Running()) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 50 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(20ms);
    }
    if (waitpid(pid_, nullptr, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

bool IsBinFile(const std::string& path) {
  return path.size() >= 4 && (path.ends_with(".bin") || path.ends_with(".BIN"));
}

bool PhaseOneDone(int status) {
  return status == kStatusOutline || status == kStatusUpgradeWait ||
         status == kStatusUpgradeSuccess || status == kStatusUpgradeFail;
}

}  // namespace

int RunSetNameCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed;
  if (!Parse(args, {}, {}, parsed, err)) return kExitUsage;
  if (parsed.help) return Usage(out, kSetNameHelp);
  if (parsed.positional.size() != 2 || parsed.positional[1].empty()) {
    err << "devicectl: set-name takes one MAC address and a name (see --help)\n";
    return kExitUsage;
  }
  std::vector<std::string> macs;
  if (!Macs({parsed.positional[0]}, macs, err)) return kExitUsage;
  const CommandPayload payload = SetNamePayload(parsed.positional[1]);
  CCommandSession session(out, err);
  int exitStatus = kExitSuccess;
  const auto targets = Prepare(session, parsed, macs, exitStatus);
  if (!targets) return exitStatus;
  SendAndAwaitAcknowledgements(session, *targets, kMsgSetName,
                               [&](const CommandTarget&) { return payload; });
  return session.ExitStatus();
}

int RunSetIpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed;
  if (!Parse(args, {"--first", "--last", "--mask", "--gateway", "--dns1", "--dns2"}, {}, parsed,
             err)) {
    return kExitUsage;
  }
  if (parsed.help) return Usage(out, kSetIpHelp);
  std::vector<std::string> macs;
  if (!Macs(parsed.positional, macs, err)) return kExitUsage;
  if (Value(parsed, "--first").empty() || Value(parsed, "--mask").empty()) {
    err << "devicectl: set-ip needs --first and --mask (see --help)\n";
    return kExitUsage;
  }
  if (macs.size() > 1 && Value(parsed, "--last").empty()) {
    err << "devicectl: set-ip for several devices needs --last (see --help)\n";
    return kExitUsage;
  }
  const std::u16string first = Utf8ToUtf16(Value(parsed, "--first"));
  const std::u16string last = Utf8ToUtf16(Value(parsed, "--last"));
  const std::u16string mask = Utf8ToUtf16(Value(parsed, "--mask"));
  const std::u16string gateway = Utf8ToUtf16(Value(parsed, "--gateway"));
  const std::u16string dns1 = Utf8ToUtf16(Value(parsed, "--dns1"));
  const std::u16string dns2 = Utf8ToUtf16(Value(parsed, "--dns2"));
  const CheckResult check = CheckIpRange({first, last, mask, gateway, dns1, dns2}, macs.size());
  if (!check.passed) {
    err << "devicectl: " << MessageText(check) << "\n";
    return kExitFailure;
  }
  const auto ipOf = [&](const std::string& option) { return ParseIpText(Value(parsed, option)); };
  const std::vector<IpBytes> addresses = AddressesForDevices(
      ipOf("--first"), macs.size() > 1 ? ipOf("--last") : ipOf("--first"), macs.size());

  CCommandSession session(out, err);
  int exitStatus = kExitSuccess;
  const auto targets = Prepare(session, parsed, macs, exitStatus);
  if (!targets) return exitStatus;
  // Addresses go to the devices in the order they were named, found or not.
  std::map<std::string, std::string> newIp;
  for (std::size_t i = 0; i < addresses.size(); ++i) newIp[macs[i]] = IpText(addresses[i].data());
  std::vector<CommandTarget> moving;
  for (const CommandTarget& target : *targets) {
    if (newIp.contains(target.mac)) {
      moving.push_back(target);
    } else {
      session.PrintResult(target, "no address left in the range, unchanged");
    }
  }
  SendAndAwaitAcknowledgements(session, moving, kMsgSetIp, [&](const CommandTarget& target) {
    const std::string& to = newIp[target.mac];
    session.engine().FollowIpChange(target.mac, target.ip, to);
    return SetIpPayload(MultiDeviceIpBlock(ParseIpText(to), ipOf("--mask"), ipOf("--gateway"),
                                           ipOf("--dns1"), ipOf("--dns2")));
  });
  for (const CommandTarget& target : moving) {
    const std::optional<DeviceEntry> entry = [&]() -> std::optional<DeviceEntry> {
      for (const DeviceEntry& e : session.engine().OnlineDevices()) {
        if (e.mac == target.mac) return e;
      }
      return std::nullopt;
    }();
    out << target.mac << "  now at " << (entry ? entry->ip : std::string("-")) << "\n";
  }
  return session.ExitStatus();
}

int RunRebootCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return RunRestartCommand(args, out, err, kMsgReboot, kStatusRestarting, kRebootHelp);
}

int RunResetCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return RunRestartCommand(args, out, err, kMsgFactoryReset, kStatusReseting, kResetHelp);
}

int RunTransparentBridgeCommand(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err) {
  return RunSwitchCommand(args, out, err, kMsgSetTransparentBridge, kTransparentBridgeHelp);
}

int RunRvSyncCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return RunSwitchCommand(args, out, err, kMsgSetTdma, kRvSyncHelp);
}

int RunSurveyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed;
  if (!Parse(args, {"--seconds"}, {"--json"}, parsed, err)) return kExitUsage;
  if (parsed.help) return Usage(out, kSurveyHelp);
  std::vector<std::string> macs;
  if (!Macs(parsed.positional, macs, err)) return kExitUsage;
  if (macs.size() != 1) {
    err << "devicectl: survey takes one MAC address\n";
    return kExitUsage;
  }
  int seconds = kDefaultSurveySeconds;
  if (!Number(parsed, "--seconds", 1, 3600, seconds, err)) return kExitUsage;
  CCommandSession session(out, err);
  int exitStatus = kExitSuccess;
  const auto targets = Prepare(session, parsed, macs, exitStatus);
  if (!targets) return exitStatus;
  if (targets->empty()) return kExitFailure;
  const CommandTarget& target = targets->front();
  session.store().ClearScanResults();
  if (!session.engine().SendToDevice(target.ip, kMsgSiteSurvey, {}, target.mac, false)) {
    session.PrintResult(target, "not sent");
    return kExitFailure;
  }
  const bool complete = CCommandSession::WaitUntil([&] { return session.engine().ScanComplete(); },
                                                   std::chrono::seconds(seconds));
  std::vector<ScanEntry> entries;
  session.store().GetScanResults(4, 0, entries);  // by signal, strongest first
  if (parsed.flags.contains("--json")) {
    out << "[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
      out << (i > 0 ? ",\n " : "\n ") << ScanEntryJson(entries[i]);
    }
    out << (entries.empty() ? "]\n" : "\n]\n");
  } else {
    out << std::left << std::setw(18) << "MAC"
        << "  " << std::setw(32) << "SSID"
        << "  " << std::setw(6) << "Signal"
        << "  " << std::setw(7) << "Channel"
        << "  "
        << "Security\n";
    for (const ScanEntry& entry : entries) {
      out << std::setw(18) << MacText(entry.mac) << "  " << std::setw(32)
          << ShortText(entry.ssid, sizeof entry.ssid, entry.ssid_len) << "  " << std::setw(6)
          << int{entry.signal} << "  " << std::setw(7) << ChannelText(entry.channel) << "  "
          << SecureModeText(entry.secure_mode) << "\n";
    }
    out << entries.size() << (entries.size() == 1 ? " neighbour" : " neighbours")
        << (complete ? "\n" : " (the scan did not complete)\n");
  }
  if (!complete) {
    err << "devicectl: " << target.mac << " sent no complete scan within " << seconds << " s\n";
    return kExitFailure;
  }
  return kExitSuccess;
}

int RunUpgradeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed;
  if (!Parse(args, {"--file", "--port", "--transfer-seconds", "--upgrade-seconds"}, {}, parsed,
             err)) {
    return kExitUsage;
  }
  if (parsed.help) return Usage(out, kUpgradeHelp);
  std::vector<std::string> macs;
  if (!Macs(parsed.positional, macs, err)) return kExitUsage;
  if (macs.size() > kMaxUpgradeDevices) {
    err << "devicectl: Maximum selection of 10 devices!\n";
    return kExitUsage;
  }
  int port = kDefaultTftpPort, transferSeconds = kDefaultTransferSeconds,
      upgradeSeconds = kDefaultUpgradeSeconds;
  if (!Number(parsed, "--port", 1, 65535, port, err) ||
      !Number(parsed, "--transfer-seconds", 1, 3600, transferSeconds, err) ||
      !Number(parsed, "--upgrade-seconds", 1, 3600, upgradeSeconds, err)) {
    return kExitUsage;
  }
  const std::string file = Value(parsed, "--file");
  if (file.empty()) {
    err << "devicectl: Please select the upgrade file!\n";
    return kExitUsage;
  }
  if (!IsBinFile(file)) {
    err << "devicectl: Upgrade file is not .bin file!\n";
    return kExitUsage;
  }
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(file, error);
  const auto size = std::filesystem::file_size(path, error);
  if (error) {
    err << "devicectl: cannot read " << file << "\n";
    return kExitFailure;
  }
  const std::optional<CommandPayload> payload =
      UpgradePayload(path.filename().string(), static_cast<uint32_t>(size));
  if (!payload) {
    err << "devicectl: the file name is longer than 255 bytes\n";
    return kExitUsage;
  }

  CCommandSession session(out, err);
  int exitStatus = kExitSuccess;
  const auto targets = Prepare(session, parsed, macs, exitStatus);
  if (!targets) return exitStatus;
  if (targets->empty()) return kExitFailure;
  for (const CommandTarget& target : *targets) {
    if (target.device.ap_type != targets->front().device.ap_type) {
      err << "devicectl: the devices are of several models; upgrade one model at a time\n";
      return kExitFailure;
    }
  }

  const std::filesystem::path service = std::filesystem::path(GetExeDirectory()) / "service";
  const std::filesystem::path ini = service / "FileServer.ini";
  if (!WriteIniValue("SERVER", "Directory", path.parent_path().string(), ini) ||
      !WriteIniValue("SERVER", "Port", std::to_string(port), ini)) {
    err << "devicectl: cannot write " << ini.string() << "\n";
    return kExitFailure;
  }
  CFileServerRun server;
  if (!server.Start(service / "FileServer", err)) return kExitFailure;
  // The server ends at once when it cannot serve (its port taken, say).
  std::this_thread::sleep_for(300ms);
  if (!server.Running()) {
    err << "devicectl: FileServer did not start (is UDP port " << port << " in use?)\n";
    return kExitFailure;
  }

  CDeviceEngine& engine = session.engine();
  CSqlManagement& store = session.store();
  std::vector<bool> sent;
  for (const CommandTarget& target : *targets) {
    store.ClearUpgradeFail(target.mac);
    sent.push_back(engine.SendToDevice(target.ip, kMsgUpgrade, *payload, target.mac, true));
  }
  out << "Upgrade file transfer progress\n";
  // The last status of the upgrade seen for each device: a device that ends
  // its upgrade restarts and is reported "Online" afresh.
  std::vector<int> seen(targets->size(), kStatusOnline);
  const auto watch = [&] {
    for (std::size_t i = 0; i < targets->size(); ++i) {
      const int status = store.GetDeviceStatus((*targets)[i].mac);
      if (status >= kStatusUpgradeWait && status <= kStatusUpgradeFail && status != seen[i]) {
        seen[i] = status;
        out << "  " << (*targets)[i].mac << "  " << StatusText(status) << "\n";
      }
    }
  };
  CCommandSession::WaitUntil(
      [&] {
        watch();
        for (std::size_t i = 0; i < targets->size(); ++i) {
          if (sent[i] && !PhaseOneDone(store.GetDeviceStatus((*targets)[i].mac))) return false;
        }
        return true;
      },
      std::chrono::seconds(transferSeconds));
  for (const CommandTarget& target : *targets) {
    if (store.IsUpgradeWaiting(target.mac)) {
      engine.SendToDevice(target.ip, kMsgUpgradeQuery, {}, target.mac, true);
    }
  }
  const auto finished = [&](std::size_t i) {
    return seen[i] == kStatusUpgradeSuccess || seen[i] == kStatusUpgradeFail;
  };
  if (!std::all_of(seen.begin(), seen.end(), [](int s) { return s == kStatusUpgradeFail; })) {
    out << "Firmware upgrading progress\n";
    CCommandSession::WaitUntil(
        [&] {
          watch();
          for (std::size_t i = 0; i < targets->size(); ++i) {
            if (sent[i] && !finished(i)) return false;
          }
          return true;
        },
        std::chrono::seconds(upgradeSeconds));
  }
  server.Stop();
  for (std::size_t i = 0; i < targets->size(); ++i) {
    const bool ok = sent[i] && seen[i] == kStatusUpgradeSuccess;
    if (!ok) session.CountFailure();
    session.PrintResult((*targets)[i], !sent[i] ? "not sent"
                                       : ok     ? "Upgrade success"
                                                : "ended as " + StatusText(seen[i]));
  }
  return session.ExitStatus();
}
