#pragma once
// The simulator's two UDP sockets, shared by every simulated device: the
// search port (9786, broadcast) and the command port (9787, joined to the
// devices' multicast group on every interface). Each datagram a device sends
// leaves from the command socket with the device's own address as source
// (sendmsg with IP_PKTINFO), which works because the device namespace routes
// the devices' address ranges to itself (AnyIP local routes).
//
// Sends are batched and leave with Flush(), optionally paced to a rate.
// Single-threaded: owned and used by devsim's event loop.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/outbox.h"

class DeviceSockets final : public Outbox {
 public:
  DeviceSockets() = default;
  ~DeviceSockets() override;
  DeviceSockets(const DeviceSockets&) = delete;
  DeviceSockets& operator=(const DeviceSockets&) = delete;

  // Opens and binds both sockets; `error` says what failed.
  bool Open(std::string& error);
  int SearchFd() const { return searchFd_; }
  int CommandFd() const { return commandFd_; }

  // Datagrams per second at most; 0 sends as fast as the socket takes them.
  void SetRate(uint32_t datagramsPerSecond) { rate_ = datagramsPerSecond; }

  using Receiver = std::function<void(std::span<const uint8_t> datagram, const sockaddr_in& from,
                                      const Ipv4& destination)>;
  // Reads what is waiting on the socket (at most `limit` datagrams) without
  // blocking and hands each to `receiver`. Returns the number read.
  std::size_t Drain(int fd, std::size_t limit, const Receiver& receiver);

  void Send(const Ipv4& from, const sockaddr_in& to, std::span<const uint8_t> datagram) override;
  void Flush();
  uint64_t SendErrors() const { return sendErrors_; }

 private:
  struct Outgoing {
    Ipv4 from;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
  };
  void Pace(std::size_t count);

  int searchFd_ = -1;
  int commandFd_ = -1;
  uint32_t rate_ = 0;
  std::vector<Outgoing> queue_;
  uint64_t sendErrors_ = 0;
  double budget_ = 0;
  int64_t lastRefillNs_ = 0;
};
