#include "sim/device_sockets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "protocol/datagram.h"

namespace {

constexpr int kSocketBuffer = 32 * 1024 * 1024;
constexpr std::size_t kBatch = 256;

int64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

void SetBuffers(int fd) {
  // Forcing needs privilege; without it the kernel's cap applies.
  if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &kSocketBuffer, sizeof kSocketBuffer) != 0) {
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kSocketBuffer, sizeof kSocketBuffer);
  }
  if (setsockopt(fd, SOL_SOCKET, SO_SNDBUFFORCE, &kSocketBuffer, sizeof kSocketBuffer) != 0) {
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketBuffer, sizeof kSocketBuffer);
  }
}

int OpenBound(uint16_t port, bool broadcast, std::string& error) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return -1;
  }
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (broadcast) setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
  SetBuffers(fd);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    error = "bind port " + std::to_string(port) + ": " + std::strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

// Joins the devices' group on every multicast interface with an IPv4 address,
// since the program may reach the devices through any of them.
int JoinGroupEverywhere(int fd) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return 0;
  int joined = 0;
  std::vector<unsigned> done;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    if ((a->ifa_flags & IFF_LOOPBACK) || !(a->ifa_flags & IFF_MULTICAST)) continue;
    const unsigned index = if_nametoindex(a->ifa_name);
    if (index == 0 || std::find(done.begin(), done.end(), index) != done.end()) continue;
    done.push_back(index);
    ip_mreqn request{};
    inet_pton(AF_INET, std::string(kDeviceMulticastGroup).c_str(), &request.imr_multiaddr);
    request.imr_ifindex = static_cast<int>(index);
    if (setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0) ++joined;
  }
  freeifaddrs(list);
  return joined;
}

}  // namespace

DeviceSockets::~DeviceSockets() {
  if (searchFd_ >= 0) close(searchFd_);
  if (commandFd_ >= 0) close(commandFd_);
}

bool DeviceSockets::Open(std::string& error) {
  searchFd_ = OpenBound(kSearchPort, true, error);
  if (searchFd_ < 0) return false;
  commandFd_ = OpenBound(kKeepalivePort, false, error);
  if (commandFd_ < 0) return false;
  if (JoinGroupEverywhere(commandFd_) == 0) {
    error = "joined the device group on no interface (is an interface up with an address?)";
    return false;
  }
  const int off = 0;
  setsockopt(commandFd_, IPPROTO_IP, IP_MULTICAST_LOOP, &off, sizeof off);
  return true;
}

std::size_t DeviceSockets::Drain(int fd, std::size_t limit, const Receiver& receiver) {
  constexpr std::size_t kRead = 64;
  static uint8_t buffers[kRead][kMaxDatagramSize + 1];
  static char controls[kRead][CMSG_SPACE(sizeof(in_pktinfo))];
  sockaddr_in peers[kRead];
  iovec iov[kRead];
  mmsghdr messages[kRead];
  std::size_t total = 0;
  while (total < limit) {
    const std::size_t want = std::min(kRead, limit - total);
    for (std::size_t i = 0; i < want; ++i) {
      iov[i] = {buffers[i], sizeof buffers[i]};
      messages[i] = {};
      messages[i].msg_hdr.msg_name = &peers[i];
      messages[i].msg_hdr.msg_namelen = sizeof peers[i];
      messages[i].msg_hdr.msg_iov = &iov[i];
      messages[i].msg_hdr.msg_iovlen = 1;
      messages[i].msg_hdr.msg_control = controls[i];
      messages[i].msg_hdr.msg_controllen = sizeof controls[i];
    }
    const int got = recvmmsg(fd, messages, static_cast<unsigned>(want), MSG_DONTWAIT, nullptr);
    if (got <= 0) break;
    for (int i = 0; i < got; ++i) {
      Ipv4 destination{};
      for (cmsghdr* c = CMSG_FIRSTHDR(&messages[i].msg_hdr); c;
           c = CMSG_NXTHDR(&messages[i].msg_hdr, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
          in_pktinfo info;
          std::memcpy(&info, CMSG_DATA(c), sizeof info);
          std::memcpy(destination.data(), &info.ipi_addr, 4);
        }
      }
      // Longer than a datagram may be: not from a device's program.
      const std::size_t length = messages[i].msg_len;
      if (length > kMaxDatagramSize || (messages[i].msg_hdr.msg_flags & MSG_TRUNC)) continue;
      receiver({buffers[i], length}, peers[i], destination);
    }
    total += static_cast<std::size_t>(got);
    if (static_cast<std::size_t>(got) < want) break;
  }
  return total;
}

void DeviceSockets::Send(const Ipv4& from, const sockaddr_in& to,
                         std::span<const uint8_t> datagram) {
  queue_.push_back({from, to, {datagram.begin(), datagram.end()}});
  if (queue_.size() >= 4 * kBatch) Flush();
}

void DeviceSockets::Pace(std::size_t count) {
  if (rate_ == 0) return;
  for (;;) {
    const int64_t now = MonotonicNs();
    if (lastRefillNs_ == 0) lastRefillNs_ = now;
    budget_ = std::min<double>(budget_ + (now - lastRefillNs_) * 1e-9 * rate_, kBatch);
    lastRefillNs_ = now;
    if (budget_ >= static_cast<double>(count)) {
      budget_ -= static_cast<double>(count);
      return;
    }
    const double waitNs = (static_cast<double>(count) - budget_) / rate_ * 1e9;
    timespec pause{0, static_cast<long>(std::min(waitNs, 1e8))};
    nanosleep(&pause, nullptr);
  }
}

void DeviceSockets::Flush() {
  mmsghdr messages[kBatch];
  iovec iov[kBatch];
  char controls[kBatch][CMSG_SPACE(sizeof(in_pktinfo))];
  std::size_t next = 0;
  while (next < queue_.size()) {
    const std::size_t count = std::min(kBatch, queue_.size() - next);
    const std::size_t chunk = rate_ == 0 ? count : std::min<std::size_t>(count, 16);
    Pace(chunk);
    for (std::size_t i = 0; i < chunk; ++i) {
      Outgoing& out = queue_[next + i];
      iov[i] = {out.bytes.data(), out.bytes.size()};
      std::memset(controls[i], 0, sizeof controls[i]);
      messages[i] = {};
      messages[i].msg_hdr.msg_name = &out.to;
      messages[i].msg_hdr.msg_namelen = sizeof out.to;
      messages[i].msg_hdr.msg_iov = &iov[i];
      messages[i].msg_hdr.msg_iovlen = 1;
      messages[i].msg_hdr.msg_control = controls[i];
      messages[i].msg_hdr.msg_controllen = sizeof controls[i];
      cmsghdr* c = CMSG_FIRSTHDR(&messages[i].msg_hdr);
      c->cmsg_level = IPPROTO_IP;
      c->cmsg_type = IP_PKTINFO;
      c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
      in_pktinfo info{};
      std::memcpy(&info.ipi_spec_dst, out.from.data(), 4);
      std::memcpy(CMSG_DATA(c), &info, sizeof info);
    }
    std::size_t sent = 0;
    while (sent < chunk) {
      const int n = sendmmsg(commandFd_, messages + sent, static_cast<unsigned>(chunk - sent), 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        // One bad datagram (e.g. a source address that is not local) must not
        // hold up the others.
        ++sendErrors_;
        ++sent;
        continue;
      }
      sent += static_cast<std::size_t>(n);
    }
    next += chunk;
  }
  queue_.clear();
}
