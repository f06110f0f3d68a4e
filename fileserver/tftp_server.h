#pragma once
// The server's event loop: one thread, one epoll set, the listening socket and
// one socket per transfer (a fresh transfer ID as RFC 1350 asks), and one
// timer heap for the retransmissions of every transfer. It answers refused
// requests with their TFTP error, answers strangers on a transfer's port with
// error 5 and prints one line per transfer on standard error.
// The object owns every socket and transfer; Run() blocks the calling thread.

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <queue>
#include <string>
#include <unordered_map>
#include <vector>

#include "fileserver/transfer.h"
#include "fileserver/unique_fd.h"

class TftpServer {
 public:
  // Binds the listening socket; on failure returns nullptr and sets `error`
  // to one line saying why. `directory` is a descriptor of the served folder.
  static std::unique_ptr<TftpServer> Create(UniqueFd directory, in_addr address, uint16_t port,
                                            Transfer::Timing timing, std::string& error);

  // Serves until `stopFd` becomes readable (a signalfd, an eventfd).
  // Returns false when the event loop itself fails.
  bool Run(int stopFd);

 private:
  using Clock = Transfer::Clock;

  struct Session {
    UniqueFd socket;
    sockaddr_in peer{};
    std::string fileName;
    Clock::time_point started;
    std::unique_ptr<Transfer> transfer;
  };

  TftpServer(UniqueFd directory, UniqueFd listener, UniqueFd epoll, Transfer::Timing timing);

  void OnRequest();
  void OnSessionReadable(uint64_t id);
  void OnTimers(Clock::time_point now);
  void StartSession(const sockaddr_in& peer, const in_addr& local,
                    std::span<const std::byte> packet);
  void Flush(Session& session);
  // Removes the session when its transfer has ended; true when it did.
  bool FinishIfEnded(uint64_t id, Session& session);
  int NextTimeoutMs(Clock::time_point now) const;

  UniqueFd directory_;
  UniqueFd listener_;
  UniqueFd epoll_;
  Transfer::Timing timing_;
  uint64_t nextId_ = 2;  // 0: the listener, 1: the stop descriptor
  std::unordered_map<uint64_t, Session> sessions_;
  // Requests retransmitted by a client whose transfer already runs are ignored.
  std::unordered_map<uint64_t, uint64_t> sessionByPeer_;
  // One entry per session; an entry may be earlier than the session's deadline
  // and is then pushed again, so that an ACK never has to touch the heap.
  using TimerEntry = std::pair<Clock::time_point, uint64_t>;
  std::priority_queue<TimerEntry, std::vector<TimerEntry>, std::greater<>> timers_;
  std::vector<std::byte> receiveBuffer_;
};
