#pragma once
// The devices' firmware fetches over real sockets: one UDP socket per running
// download, bound to the device's own address so the PC sees the device as
// the client. Non-blocking; devsim's event loop polls Fds(), calls OnReadable
// and Tick, and hands the finished fetches to the Simulator.
// Single-threaded: owned and used by devsim's event loop.

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "sim/simulator.h"
#include "sim/tftp_download.h"

class TftpFetcher final : public FirmwareFetcher {
 public:
  struct Finished {
    std::size_t device;
    bool ok;
    uint64_t bytes;
    std::string error;
  };

  // `blockSize` 0 asks for the plain 512-byte blocks.
  explicit TftpFetcher(uint16_t blockSize = 0,
                       SimClock::duration timeout = std::chrono::seconds(1));
  ~TftpFetcher() override;
  TftpFetcher(const TftpFetcher&) = delete;
  TftpFetcher& operator=(const TftpFetcher&) = delete;

  void Fetch(std::size_t device, const Ipv4& from, const sockaddr_in& server,
             const std::string& file, uint64_t maxBytes) override;
  void Cancel(std::size_t device) override;

  // One pollfd per open socket (POLLIN).
  std::vector<pollfd> Fds() const;
  void OnReadable(int fd, SimClock::time_point now);
  // Retransmits what timed out and closes sockets whose lingering is over.
  void Tick(SimClock::time_point now);
  // Fetches that ended since the last call.
  std::vector<Finished> TakeFinished();

 private:
  struct Job {
    std::size_t device;
    int fd;
    sockaddr_in server;
    TftpDownload download;
    SimClock::time_point deadline;  // of the retransmission, or of the lingering once done
    bool reported = false;
  };
  void Send(Job& job, const std::vector<uint8_t>& packet, uint16_t port);
  void Report(Job& job, bool ok, std::string error);
  void Close(std::map<int, std::unique_ptr<Job>>::iterator it);

  uint16_t blockSize_;
  SimClock::duration timeout_;
  std::map<int, std::unique_ptr<Job>> jobs_;  // by socket
  std::vector<Finished> finished_;
};
