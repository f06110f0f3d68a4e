// devsim: plays many devices on one pair of sockets, for the tests, the
// benchmarks and for trying the program without hardware. Run it in the
// device namespace that scripts/testnet.sh makes.
//
// Control lines on standard input (one answer line each on standard output):
//   silent <mac|all>, speak <mac|all>, short <mac|all> <0|1>,
//   move <mac> <ip>, claim <mac> <ip|none>, drop <share>, keepalive <seconds>,
//   show <mac>, stats, quit, refuse|ignore <mac|all> <type|all> [count],
//   answer <mac|all> <type|all>, neighbours <mac|all> <n>
// SIGUSR1 makes every device silent, SIGUSR2 makes them speak again;
// SIGINT and SIGTERM end the program.

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "sim/device_sockets.h"
#include "sim/tftp_fetcher.h"
#include "sim/population.h"
#include "sim/simulator.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gSilence = 0;  // 1 silence all, 2 speak all

void OnSignal(int signal) {
  if (signal == SIGUSR1) gSilence = 1;
  else if (signal == SIGUSR2) gSilence = 2;
  else gStop = 1;
}

void InstallSignals() {
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int s : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) sigaction(s, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

void Usage() {
  std::fprintf(stderr,
               "usage: devsim [options]\n"
               "  --count N            devices to generate (default 10)\n"
               "  --seed S             seed of the generated devices (default 1)\n"
               "  --file PATH          device file; its fields override the generated ones\n"
               "  --first-ip A         address of the first device (default 10.77.1.1)\n"
               "  --mask M             devices' mask (default 255.255.0.0)\n"
               "  --gateway G          devices' gateway (default 10.77.0.254)\n"
               "  --models C,C,...     model codes to cycle through (default all)\n"
               "  --keepalive SECONDS  keepalive period once found, 0 for none (default 10)\n"
               "  --drop SHARE         share of searches and commands ignored (0 to 1)\n"
               "  --silent             start with every device silent\n"
               "  --short-announcement every device announces with the version area only\n"
               "  --claim I=J          device I reports the address of device J\n"
               "  --rate N             send at most N datagrams a second\n"
               "  --spread MS          answer a search after a random delay of up to MS ms\n"
               "  --log                print a line for every command received\n"
               "  --restart-time MS    how long a restarting device stays quiet (default 3000)\n"
               "  --upgrade-time MS    from upgrade \"waiting\" to \"succeeded\" (default 5000)\n"
               "  --neighbours N       neighbours each site survey finds (default 40)\n"
               "  --tftp-port P        the PC's TFTP port for firmware (default 69)\n"
               "  --tftp-blksize N     block size the devices ask for, 0 for none (default 0)\n"
               "  --refuse TYPE[:N]    every device refuses the command type (result 1),\n"
               "                       the next N copies only when N is given\n"
               "  --ignore TYPE[:N]    every device ignores the command type\n");
}

struct Arguments {
  PopulationPlan plan;
  SimulatorOptions options;
  std::string file;
  bool silent = false;
  bool shortAnnouncement = false;
  std::vector<std::pair<std::size_t, std::size_t>> claims;
  uint32_t rate = 0;
  uint16_t tftpBlockSize = 0;
  std::vector<std::string> rules;  // control lines applied before the start
};

bool ParseMilliseconds(const std::string& value, SimClock::duration& out) {
  char* end = nullptr;
  const double ms = std::strtod(value.c_str(), &end);
  if (value.empty() || *end != '\0' || ms < 0) return false;
  out = std::chrono::duration_cast<SimClock::duration>(std::chrono::duration<double, std::milli>(ms));
  return true;
}

bool ParseNumber(const std::string& value, unsigned long max, unsigned long& out) {
  char* end = nullptr;
  out = std::strtoul(value.c_str(), &end, 10);
  return !value.empty() && *end == '\0' && out <= max;
}

bool ParseArguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    const std::string value = hasValue ? argv[i + 1] : "";
    auto needValue = [&] {
      if (!hasValue) std::fprintf(stderr, "devsim: %s needs a value\n", arg.c_str());
      ++i;
      return hasValue;
    };
    if (arg == "--count") {
      if (!needValue()) return false;
      args.plan.count = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arg == "--seed") {
      if (!needValue()) return false;
      args.plan.seed = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arg == "--file") {
      if (!needValue()) return false;
      args.file = value;
    } else if (arg == "--first-ip" || arg == "--mask" || arg == "--gateway") {
      if (!needValue()) return false;
      Ipv4& target = arg == "--first-ip" ? args.plan.firstIp
                     : arg == "--mask"   ? args.plan.mask
                                         : args.plan.gateway;
      if (!ParseIpv4(value, target)) {
        std::fprintf(stderr, "devsim: bad address %s\n", value.c_str());
        return false;
      }
    } else if (arg == "--models") {
      if (!needValue()) return false;
      for (const char* p = value.c_str(); *p;) {
        char* end = nullptr;
        const unsigned long code = std::strtoul(p, &end, 10);
        if (end == p || code == 0 || code > 0xffff) {
          std::fprintf(stderr, "devsim: bad model list %s\n", value.c_str());
          return false;
        }
        args.plan.models.push_back(static_cast<uint16_t>(code));
        p = *end == ',' ? end + 1 : end;
      }
    } else if (arg == "--keepalive") {
      if (!needValue()) return false;
      args.options.keepalivePeriod = std::chrono::duration_cast<SimClock::duration>(
          std::chrono::duration<double>(std::strtod(value.c_str(), nullptr)));
    } else if (arg == "--drop") {
      if (!needValue()) return false;
      args.options.dropShare = std::strtod(value.c_str(), nullptr);
    } else if (arg == "--claim") {
      if (!needValue()) return false;
      std::size_t from = 0, of = 0;
      if (std::sscanf(value.c_str(), "%zu=%zu", &from, &of) != 2) {
        std::fprintf(stderr, "devsim: --claim wants I=J\n");
        return false;
      }
      args.claims.emplace_back(from, of);
    } else if (arg == "--spread") {
      if (!needValue()) return false;
      args.options.answerSpread = std::chrono::duration_cast<SimClock::duration>(
          std::chrono::duration<double, std::milli>(std::strtod(value.c_str(), nullptr)));
    } else if (arg == "--rate") {
      if (!needValue()) return false;
      args.rate = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (arg == "--restart-time" || arg == "--upgrade-time") {
      if (!needValue()) return false;
      auto& target =
          arg == "--restart-time" ? args.options.restartTime : args.options.upgradeTime;
      if (!ParseMilliseconds(value, target)) {
        std::fprintf(stderr, "devsim: bad time %s\n", value.c_str());
        return false;
      }
    } else if (arg == "--neighbours" || arg == "--tftp-port" || arg == "--tftp-blksize") {
      if (!needValue()) return false;
      unsigned long number = 0;
      const unsigned long max = arg == "--neighbours" ? 8160 : 65535;
      if (!ParseNumber(value, max, number) || (arg == "--tftp-port" && number == 0) ||
          (arg == "--tftp-blksize" && number != 0 && (number < 8 || number > 65464))) {
        std::fprintf(stderr, "devsim: bad value %s for %s\n", value.c_str(), arg.c_str());
        return false;
      }
      const auto n = static_cast<uint16_t>(number);
      if (arg == "--neighbours") args.options.neighbours = n;
      if (arg == "--tftp-port") args.options.tftpPort = n;
      if (arg == "--tftp-blksize") args.tftpBlockSize = n;
    } else if (arg == "--refuse" || arg == "--ignore") {
      if (!needValue()) return false;
      const std::size_t colon = value.find(':');
      std::string line = arg.substr(2) + " all " + value.substr(0, colon);
      if (colon != std::string::npos) line += " " + value.substr(colon + 1);
      args.rules.push_back(line);
    } else if (arg == "--silent") {
      args.silent = true;
    } else if (arg == "--short-announcement") {
      args.shortAnnouncement = true;
    } else if (arg == "--log") {
      args.options.log = true;
    } else {
      Usage();
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (!ParseArguments(argc, argv, args)) return 2;

  std::vector<SimDevice> devices;
  if (!args.file.empty()) {
    std::string error;
    if (!LoadPopulationFile(args.file, args.plan, devices, error)) {
      std::fprintf(stderr, "devsim: %s\n", error.c_str());
      return 2;
    }
  } else {
    devices = GeneratePopulation(args.plan);
  }
  for (SimDevice& device : devices) {
    device.silent = device.silent || args.silent;
    device.shortAnnouncement = device.shortAnnouncement || args.shortAnnouncement;
  }
  for (const auto& [from, of] : args.claims) {
    if (from >= devices.size() || of >= devices.size()) {
      std::fprintf(stderr, "devsim: --claim names a device that does not exist\n");
      return 2;
    }
    devices[from].reportedIp = DeviceIp(devices[of]);
  }

  InstallSignals();
  DeviceSockets sockets;
  std::string error;
  if (!sockets.Open(error)) {
    std::fprintf(stderr, "devsim: %s\n", error.c_str());
    return 1;
  }
  sockets.SetRate(args.rate);
  bool quit = false;
  TftpFetcher fetcher(args.tftpBlockSize);
  Simulator simulator(std::move(devices), args.options, sockets, SimClock::now(), &fetcher);
  for (const std::string& rule : args.rules) {
    const std::string answer = simulator.Control(rule, quit);
    if (answer != "ok") {
      std::fprintf(stderr, "devsim: --%s: %s\n", rule.c_str(), answer.c_str());
      return 2;
    }
  }
  std::printf("ready devices=%zu\n", simulator.Devices().size());
  std::fflush(stdout);

  bool stdinOpen = true;
  std::string pendingInput;
  while (!gStop && !quit) {
    std::vector<pollfd> fds = {{sockets.SearchFd(), POLLIN, 0},
                               {sockets.CommandFd(), POLLIN, 0},
                               {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
    const auto transfers = fetcher.Fds();
    fds.insert(fds.end(), transfers.begin(), transfers.end());
    int timeoutMs = transfers.empty() ? 20 : 10;
    if (const auto due = simulator.NextDue()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - SimClock::now());
      timeoutMs = static_cast<int>(std::clamp<int64_t>(wait.count(), 0, timeoutMs));
    }
    poll(fds.data(), fds.size(), timeoutMs);
    if (gSilence != 0) {
      simulator.Control(gSilence == 1 ? "silent all" : "speak all", quit);
      gSilence = 0;
    }
    const auto now = SimClock::now();
    if (fds[0].revents & POLLIN) {
      sockets.Drain(sockets.SearchFd(), 4096,
                    [&](std::span<const uint8_t>, const sockaddr_in& from, const Ipv4&) {
                      simulator.OnSearch(from, now);
                    });
    }
    if (fds[1].revents & POLLIN) {
      sockets.Drain(sockets.CommandFd(), 4096,
                    [&](std::span<const uint8_t> datagram, const sockaddr_in& from,
                        const Ipv4& destination) {
                      simulator.OnCommand(datagram, from, destination, now);
                    });
    }
    if (fds[2].revents & (POLLIN | POLLHUP)) {
      char buffer[4096];
      const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
      if (got <= 0) {
        stdinOpen = false;  // without a controller the devices just go on
      } else {
        pendingInput.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t nl; (nl = pendingInput.find('\n')) != std::string::npos;) {
          const std::string line = pendingInput.substr(0, nl);
          pendingInput.erase(0, nl + 1);
          if (line.empty()) continue;
          std::printf("%s\n", simulator.Control(line, quit).c_str());
        }
        std::fflush(stdout);
      }
    }
    for (std::size_t i = 3; i < fds.size(); ++i) {
      if (fds[i].revents & POLLIN) fetcher.OnReadable(fds[i].fd, now);
    }
    fetcher.Tick(SimClock::now());
    for (const auto& done : fetcher.TakeFinished()) {
      if (args.options.log) {
        std::printf("tftp device=%zu %s bytes=%llu%s%s\n", done.device, done.ok ? "done" : "failed",
                    static_cast<unsigned long long>(done.bytes), done.error.empty() ? "" : " ",
                    done.error.c_str());
      }
      simulator.OnFetchDone(done.device, done.ok, done.bytes, SimClock::now());
    }
    simulator.Tick(SimClock::now());
    sockets.Flush();
    if (!simulator.Log().empty()) {
      for (const std::string& line : simulator.Log()) std::printf("%s\n", line.c_str());
      simulator.Log().clear();
      std::fflush(stdout);
    }
  }
  return 0;
}
