#include "sim/testbed.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

namespace {

// Runs a command through the shell, returning its exit status and output.
int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char chunk[512];
  while (std::fgets(chunk, sizeof chunk, pipe)) output += chunk;
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

bool RunningAsRoot() { return geteuid() == 0; }

TestNetwork::TestNetwork(std::string name, std::vector<std::string> subnets)
    : name_(std::move(name)),
      subnets_(std::move(subnets)),
      programNs_(name_ + "-pc"),
      deviceNs_(name_ + "-dev") {}

TestNetwork::~TestNetwork() {
  LeaveProgramSide();
  if (up_) {
    std::string output;
    RunCommand(std::string(TESTNET_SCRIPT) + " down --name " + name_, output);
  }
}

bool TestNetwork::Up(std::string& error) {
  std::string command = std::string(TESTNET_SCRIPT) + " up --name " + name_;
  for (const std::string& subnet : subnets_) command += " --subnet " + subnet;
  std::string output;
  up_ = true;  // whatever part was made is removed again
  if (RunCommand(command, output) != 0) {
    error = "testnet.sh up failed: " + output;
    return false;
  }
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("HOSTNICS_INCLUDE=", 0) == 0) include_ = line.substr(17);
  }
  if (include_.empty()) error = "testnet.sh printed no HOSTNICS_INCLUDE: " + output;
  return !include_.empty();
}

bool TestNetwork::EnterProgramSide(std::string& error) {
  if (originalNs_ < 0) originalNs_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
  const int target = open(("/var/run/netns/" + programNs_).c_str(), O_RDONLY | O_CLOEXEC);
  if (originalNs_ < 0 || target < 0 || setns(target, CLONE_NEWNET) != 0) {
    error = "cannot enter namespace " + programNs_ + ": " + std::strerror(errno);
    if (target >= 0) close(target);
    return false;
  }
  close(target);
  return true;
}

void TestNetwork::LeaveProgramSide() {
  if (originalNs_ < 0) return;
  setns(originalNs_, CLONE_NEWNET);
  close(originalNs_);
  originalNs_ = -1;
}

std::string TestNetwork::ProgramInterface(std::size_t i) const {
  return name_ + "m" + std::to_string(i);
}

bool TestNetwork::RunOnProgramSide(const std::string& command) {
  std::string output;
  return RunCommand("ip netns exec " + programNs_ + " " + command, output) == 0;
}

DevsimProcess::~DevsimProcess() { Stop(); }

bool DevsimProcess::Start(const std::string& deviceNamespace,
                          const std::vector<std::string>& arguments, std::string& error) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
    error = "pipe failed";
    return false;
  }
  const std::string nsPath = "/var/run/netns/" + deviceNamespace;
  std::vector<std::string> argv{DEVSIM_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  pid_ = fork();
  if (pid_ < 0) {
    error = "fork failed";
    return false;
  }
  if (pid_ == 0) {
    const int ns = open(nsPath.c_str(), O_RDONLY);
    if (ns < 0 || setns(ns, CLONE_NEWNET) != 0) _exit(127);
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    execv(cargv[0], cargv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  toChild_ = in[1];
  fromChild_ = out[0];
  std::string line;
  if (!ReadLine(line, std::chrono::seconds(10)) || line.rfind("ready", 0) != 0) {
    error = "devsim did not start (" + line + ")";
    Stop();
    return false;
  }
  return true;
}

bool DevsimProcess::ReadLine(std::string& line, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || fromChild_ < 0) return false;
    pollfd fd{fromChild_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) return false;
    char chunk[65536];
    const ssize_t got = read(fromChild_, chunk, sizeof chunk);
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(got));
  }
}

std::string DevsimProcess::Control(const std::string& line, std::chrono::milliseconds timeout) {
  if (toChild_ < 0) return {};
  const std::string text = line + "\n";
  if (write(toChild_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
  std::string answer;
  while (ReadLine(answer, timeout)) {
    if (answer.rfind("rx ", 0) == 0) {
      log_.push_back(answer);
      continue;
    }
    return answer;
  }
  return {};
}

std::map<std::string, long> DevsimProcess::Stats() { return ParseNumberFields(Control("stats")); }

std::vector<std::string> DevsimProcess::TakeLog() {
  // Whatever arrived since the last answer is still in the pipe.
  Control("stats");
  return std::exchange(log_, {});
}

void DevsimProcess::Stop() {
  if (pid_ <= 0) return;
  if (toChild_ >= 0) {
    const char quit[] = "quit\n";
    [[maybe_unused]] const ssize_t written = write(toChild_, quit, sizeof quit - 1);
  }
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      break;
    }
    usleep(10000);
  }
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (toChild_ >= 0) close(toChild_);
  if (fromChild_ >= 0) close(fromChild_);
  toChild_ = fromChild_ = -1;
}

std::map<std::string, long> ParseNumberFields(const std::string& line) {
  std::map<std::string, long> fields;
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    const auto equals = word.find('=');
    if (equals == std::string::npos) continue;
    fields[word.substr(0, equals)] = std::strtol(word.c_str() + equals + 1, nullptr, 10);
  }
  return fields;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}
