#pragma once
// The test network and the simulator as the end-to-end tests and benchmarks
// drive them: TestNetwork runs scripts/testnet.sh and moves the calling
// thread into the program's namespace; DevsimProcess runs devsim in the
// device namespace and talks to it over its control lines.
//
// Both clean up in their destructors (namespaces removed, devsim ended), so a
// failed test leaves nothing behind; a crashed one is cleaned by the next "up"
// of the same name. Use from one thread; threads started after EnterProgramSide
// inherit the program's namespace.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

bool RunningAsRoot();

class TestNetwork {
 public:
  // `name`: at most 10 characters; `subnets`: "10.77" and the like.
  TestNetwork(std::string name, std::vector<std::string> subnets);
  ~TestNetwork();
  TestNetwork(const TestNetwork&) = delete;
  TestNetwork& operator=(const TestNetwork&) = delete;

  bool Up(std::string& error);
  // Moves the calling thread into the program's namespace (back in the
  // destructor or with LeaveProgramSide).
  bool EnterProgramSide(std::string& error);
  void LeaveProgramSide();

  const std::string& ProgramNamespace() const { return programNs_; }
  const std::string& DeviceNamespace() const { return deviceNs_; }
  // The value for HOSTNICS_INCLUDE: the program's ends of the veth pairs.
  const std::string& Include() const { return include_; }
  // The program's interface of subnet `i`.
  std::string ProgramInterface(std::size_t i) const;
  // Runs a command in the program's namespace ("ip addr del ...").
  bool RunOnProgramSide(const std::string& command);

 private:
  std::string name_;
  std::vector<std::string> subnets_;
  std::string programNs_, deviceNs_, include_;
  bool up_ = false;
  int originalNs_ = -1;
};

class DevsimProcess {
 public:
  DevsimProcess() = default;
  ~DevsimProcess();
  DevsimProcess(const DevsimProcess&) = delete;
  DevsimProcess& operator=(const DevsimProcess&) = delete;

  // Starts devsim in the namespace and waits for its "ready" line.
  bool Start(const std::string& deviceNamespace, const std::vector<std::string>& arguments,
             std::string& error);
  // Sends one control line and returns its answer ("" on time-out).
  std::string Control(const std::string& line,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // The fields of "stats" as name → number.
  std::map<std::string, long> Stats();
  // The "rx ..." lines printed so far (devsim --log), taken out.
  std::vector<std::string> TakeLog();
  // Asks "quit" and waits; kills after a second.
  void Stop();
  pid_t Pid() const { return pid_; }

 private:
  bool ReadLine(std::string& line, std::chrono::milliseconds timeout);

  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string buffer_;
  std::vector<std::string> log_;
};

// "key=value" words of a line, numbers only.
std::map<std::string, long> ParseNumberFields(const std::string& line);
// Resident memory of this process in kilobytes.
long ResidentKilobytes();
