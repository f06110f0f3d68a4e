// devicectl: the device engine and store from the command line, for
// administrators' scripts and for tests.

#include <iostream>
#include <string>
#include <vector>

#include "cli/devicectl_commands.h"

namespace {

constexpr const char* kUsage =
    "Usage: devicectl <command> [options]\n"
    "Commands:\n"
    "  adapters [--json]              the local adapters as the device engine sees them\n"
    "  search [--seconds N] [--json]  search for devices for N seconds and list them\n"
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
  std::cerr << (command.empty() ? std::string("devicectl: no command given")
                                : "devicectl: unknown command '" + command + "'")
            << " (see devicectl --help)\n";
  return kExitUsage;
}
