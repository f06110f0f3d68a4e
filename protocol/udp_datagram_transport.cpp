#include "protocol/udp_datagram_transport.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int kSocketBuffer = 0x100000;
// Every receiving socket gets the reply socket's size: with 1 MiB the kernel
// drops most of the announcements of 10,000 devices answering one search.
constexpr int kReceiveSocketBuffer = 0xa00000;

std::size_t Slot(EngineSocket socket) { return static_cast<std::size_t>(socket); }

bool SetOption(int fd, int level, int name, int value) {
  return setsockopt(fd, level, name, &value, sizeof value) == 0;
}

// A privileged process gets the whole size; others get what rmem_max allows.
bool SetBuffers(int fd, int size) {
  if (!SetOption(fd, SOL_SOCKET, SO_SNDBUFFORCE, size) && !SetOption(fd, SOL_SOCKET, SO_SNDBUF, size)) {
    return false;
  }
  return SetOption(fd, SOL_SOCKET, SO_RCVBUFFORCE, size) || SetOption(fd, SOL_SOCKET, SO_RCVBUF, size);
}

bool ParseAddress(const std::string& ip, uint16_t port, sockaddr_in& address) {
  address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  return inet_pton(AF_INET, ip.c_str(), &address.sin_addr) == 1;
}

// Returns the new descriptor, or -1 with nothing left open.
int OpenBound(const std::string& ip, uint16_t port, int bufferSize, bool broadcast) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  const bool ok = SetOption(fd, SOL_SOCKET, SO_REUSEADDR, 1) &&
                  (!broadcast || SetOption(fd, SOL_SOCKET, SO_BROADCAST, 1)) &&
                  SetBuffers(fd, bufferSize) && ParseAddress(ip, port, address) &&
                  bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (!ok) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

CUdpDatagramTransport::CUdpDatagramTransport(UdpPorts ports) : ports_(ports) {
  for (auto& fd : sockets_) fd.store(-1);
}

CUdpDatagramTransport::~CUdpDatagramTransport() { Close(); }

bool CUdpDatagramTransport::Open() {
  Close();
  struct Plan {
    EngineSocket socket;
    uint16_t port;
    int buffer;
    bool broadcast;
  };
  const Plan plans[] = {
      {EngineSocket::kSearch, ports_.search, kSocketBuffer, true},
      {EngineSocket::kAnnounce, ports_.announce, kReceiveSocketBuffer, false},
      {EngineSocket::kKeepalive, ports_.keepalive, kReceiveSocketBuffer, false},
      {EngineSocket::kReply, ports_.reply, kReceiveSocketBuffer, false},
  };
  for (const Plan& plan : plans) {
    const int fd = OpenBound("0.0.0.0", plan.port, plan.buffer, plan.broadcast);
    if (fd < 0) return false;
    sockets_[Slot(plan.socket)].store(fd);
  }
  return true;
}

void CUdpDatagramTransport::Shutdown() {
  // close() alone would leave a receiver blocked in recvfrom.
  for (auto& fd : sockets_) {
    const int value = fd.load();
    if (value >= 0) shutdown(value, SHUT_RDWR);
  }
}

void CUdpDatagramTransport::Close() {
  for (auto& fd : sockets_) {
    const int value = fd.exchange(-1);
    if (value >= 0) close(value);
  }
}

long CUdpDatagramTransport::Receive(EngineSocket socket, std::span<uint8_t> buffer,
                                    sockaddr_in& sender) {
  const int fd = sockets_[Slot(socket)].load();
  if (fd < 0) return 0;
  for (;;) {
    socklen_t length = sizeof sender;
    sender = {};
    // MSG_TRUNC reports a datagram's real size, so one too long is seen as such.
    const ssize_t received = recvfrom(fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                      reinterpret_cast<sockaddr*>(&sender), &length);
    if (received >= 0) return static_cast<long>(received);
    if (errno != EINTR) return -1;
  }
}

bool CUdpDatagramTransport::SendSearch(const std::string& destinationIp,
                                       std::span<const uint8_t> datagram) {
  const int fd = sockets_[Slot(EngineSocket::kSearch)].load();
  sockaddr_in destination{};
  if (fd < 0 || !ParseAddress(destinationIp, ports_.search, destination)) return false;
  return sendto(fd, datagram.data(), datagram.size(), 0,
                reinterpret_cast<const sockaddr*>(&destination), sizeof destination) > 0;
}

bool CUdpDatagramTransport::SendFromAdapter(const std::string& localIp,
                                            std::span<const uint8_t> datagram) {
  sockaddr_in local{}, group{};
  if (!ParseAddress(localIp, ports_.keepalive, local) ||
      !ParseAddress(std::string(kDeviceMulticastGroup), ports_.device, group)) {
    return false;
  }
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ip_mreq membership{};
  membership.imr_multiaddr = group.sin_addr;
  membership.imr_interface = local.sin_addr;
  // Connected to the group, this socket is never chosen for the unicast
  // keepalives that devices send to localIp, which reach the wildcard socket.
  const bool ok =
      SetOption(fd, SOL_SOCKET, SO_REUSEADDR, 1) &&
      setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) == 0 &&
      SetOption(fd, IPPROTO_IP, IP_MULTICAST_LOOP, 0) &&
      setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &local.sin_addr, sizeof local.sin_addr) == 0 &&
      SetBuffers(fd, kSocketBuffer) &&
      bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 &&
      connect(fd, reinterpret_cast<const sockaddr*>(&group), sizeof group) == 0 &&
      send(fd, datagram.data(), datagram.size(), 0) > 0;
  close(fd);
  return ok;
}
