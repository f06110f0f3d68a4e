#pragma once
// A raw UDP endpoint on 127.0.0.1 for speaking TFTP by hand in tests.

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

struct Datagram {
  std::vector<std::byte> bytes;
  uint16_t fromPort = 0;
};

class UdpClient {
 public:
  UdpClient() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
  }
  ~UdpClient() { ::close(fd_); }
  UdpClient(const UdpClient&) = delete;
  UdpClient& operator=(const UdpClient&) = delete;

  void SendTo(uint16_t port, std::span<const std::byte> bytes) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }

  std::optional<Datagram> Receive(int timeoutMs = 2000) const {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) != 1) return std::nullopt;
    Datagram d;
    d.bytes.resize(65536);
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got = ::recvfrom(fd_, d.bytes.data(), d.bytes.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0) return std::nullopt;
    d.bytes.resize(static_cast<std::size_t>(got));
    d.fromPort = ntohs(from.sin_port);
    return d;
  }

 private:
  int fd_ = -1;
};
