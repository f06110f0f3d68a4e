#pragma once
// Runs the FileServer program for a test: writes its settings file, starts it
// on the first free loopback test port from 16969 on, captures its standard
// error and ends it with SIGTERM.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/fileserver/packet_bytes.h"
#include "tests/fileserver/udp_client.h"
#include "util/ini_file.h"

class ServerProcess {
 public:
  ServerProcess() = default;
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;
  ~ServerProcess() { Stop(); }

  // Serves `directory`; `work` holds FileServer.ini and the captured log.
  bool Start(const std::filesystem::path& directory, const std::filesystem::path& work) {
    // Another test's server may hold a port: only our own folder holds this token.
    token_ = work.string();
    std::ofstream(directory / kProbeName) << token_;
    for (uint16_t port = 16969; port < 17069; ++port) {
      WriteIni(work / "FileServer.ini", directory, port);
      logFile_ = work / "server.log";
      pid_ = Spawn({FILESERVER_PATH, (work / "FileServer.ini").string()}, logFile_);
      if (pid_ < 0) return false;
      if (WaitUntilServing(port)) {
        port_ = port;
        return true;
      }
      Stop();  // the port was taken: try the next
    }
    return false;
  }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, &status_, 0);
    pid_ = -1;
  }

  static constexpr const char* kProbeName = "probe.txt";

  uint16_t port() const { return port_; }
  pid_t pid() const { return pid_; }
  std::string Log() const {
    std::ifstream in(logFile_);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Written the way the main program writes it.
  static void WriteIni(const std::filesystem::path& file, const std::filesystem::path& directory,
                       uint16_t port) {
    WriteIniValue("SERVER", "Directory", directory.string(), file);
    WriteIniValue("SERVER", "Port", std::to_string(port), file);
    WriteIniValue("SERVER", "Address", "127.0.0.1", file);
  }

  // Starts a program with standard error into `log`; -1 when fork fails.
  static pid_t Spawn(std::vector<std::string> args, const std::filesystem::path& log) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string logPath = log.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      FILE* err = std::freopen(logPath.c_str(), "w", stderr);
      if (err == nullptr) ::_exit(126);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return pid;
  }

 private:
  // The server is up once it serves the probe file of its own folder.
  bool WaitUntilServing(uint16_t port) {
    UdpClient probe;
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      probe.SendTo(port, Request(1, kProbeName, "octet"));
      const auto answer = probe.Receive(20);
      if (answer && answer->bytes.size() >= 4 && Text(answer->bytes).substr(4) == token_) {
        probe.SendTo(answer->fromPort, Ack(1));
        return true;
      }
    }
    return false;
  }

  pid_t pid_ = -1;
  int status_ = 0;
  uint16_t port_ = 0;
  std::filesystem::path logFile_;
  std::string token_;
};
