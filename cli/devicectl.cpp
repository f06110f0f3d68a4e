// devicectl: the device engine and store from the command line, for
// administrators' scripts and for tests.

#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/devicectl_commands.h"

namespace {

constexpr const char* kUsage =
    "Usage: devicectl <command> [options]\n"
    "Commands:\n"
    "  adapters [--json]              the local adapters as the device engine sees them\n"
    "  search [--seconds N] [--json]  search for devices for N seconds and list them\n"
    "  set-name MAC NAME              rename a device\n"
    "  set-ip MAC... --first A ...    give devices static addresses from a range\n"
    "  reboot MAC...                  restart devices\n"
    "  reset MAC...                   return devices to factory settings\n"
    "  transparent-bridge on|off MAC...\n"
    "                                 switch the transparent bridge\n"
    "  rv-sync on|off MAC...         switch RV-SYNC (TDMA)\n"
    "  survey MAC [--json]            list the access points a device sees\n"
    "  upgrade --file F.bin MAC...    upgrade the firmware of up to ten devices\n"
    "Run 'devicectl <command> --help' for a command's options.\n"
    "Exit status: 0 success, 1 failure, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return kExitSuccess;
  }
  if (command == "adapters") return RunAdaptersCommand(args, std::cout, std::cerr);
  if (command == "search") return RunSearchCommand(args, std::cout, std::cerr);
  using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
  static const std::pair<const char*, Command> kDeviceCommands[] = {
      {"set-name", RunSetNameCommand},
      {"set-ip", RunSetIpCommand},
      {"reboot", RunRebootCommand},
      {"reset", RunResetCommand},
      {"transparent-bridge", RunTransparentBridgeCommand},
      {"rv-sync", RunRvSyncCommand},
      {"survey", RunSurveyCommand},
      {"upgrade", RunUpgradeCommand},
  };
  for (const auto& [name, run] : kDeviceCommands) {
    if (command == name) return run(args, std::cout, std::cerr);
  }
  std::cerr << (command.empty() ? std::string("devicectl: no command given")
                                : "devicectl: unknown command '" + command + "'")
            << " (see devicectl --help)\n";
  return kExitUsage;
}
