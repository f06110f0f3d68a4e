#include "fileserver/tftp_server.h"

#include <arpa/inet.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "fileserver/served_file.h"
#include "fileserver/tftp_packet.h"
#include "fileserver/tftp_request.h"

namespace {

constexpr uint64_t kListenerId = 0;
constexpr uint64_t kStopId = 1;
constexpr int kSendBufferBytes = 4 * 1024 * 1024;
constexpr int kReceiveBufferBytes = 1024 * 1024;
constexpr std::size_t kMaxDatagram = 65536;
constexpr std::size_t kMaxBatch = 64;

uint64_t PeerKey(const sockaddr_in& peer) {
  return (static_cast<uint64_t>(peer.sin_addr.s_addr) << 16) | peer.sin_port;
}

std::string PeerText(const sockaddr_in& peer) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(peer.sin_port));
}

// File names come from the network: keep control characters out of the log.
std::string PrintableName(std::string_view name) {
  std::string out;
  for (char c : name) out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c);
  return out;
}

void SetBuffers(int fd) {
  // The FORCE variants pass the rmem_max/wmem_max caps when privileged.
  if (::setsockopt(fd, SOL_SOCKET, SO_SNDBUFFORCE, &kSendBufferBytes, sizeof kSendBufferBytes) !=
      0) {
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBufferBytes, sizeof kSendBufferBytes);
  }
  if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &kReceiveBufferBytes,
                   sizeof kReceiveBufferBytes) != 0) {
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
  }
}

void SendTo(int fd, std::span<const std::byte> packet, const sockaddr_in& to) {
  // A lost datagram is recovered by the retransmission timers.
  (void)::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
}

void SendError(int fd, TftpErrorCode code, std::string_view message, const sockaddr_in& to) {
  SendTo(fd, BuildErrorPacket(code, message), to);
}

const char* StateText(Transfer::State state) {
  switch (state) {
    case Transfer::State::kDone:
      return "sent";
    case Transfer::State::kTimedOut:
      return "failed";
    case Transfer::State::kAbortedByPeer:
      return "aborted";
    case Transfer::State::kFailed:
      return "failed";
    case Transfer::State::kRunning:
      break;
  }
  return "running";
}

}  // namespace

std::unique_ptr<TftpServer> TftpServer::Create(UniqueFd directory, in_addr address, uint16_t port,
                                               Transfer::Timing timing, std::string& error) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr = address;
  local.sin_port = htons(port);
  const std::string where = PeerText(local);

  UniqueFd listener(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!listener.Valid()) {
    error = std::string("cannot create a UDP socket: ") + std::strerror(errno);
    return nullptr;
  }
  const int on = 1;
  // The address a request was sent to is the one its transfer answers from.
  ::setsockopt(listener.Get(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
  SetBuffers(listener.Get());
  if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    const int bindError = errno;
    error = "cannot listen on UDP " + where + ": " + std::strerror(bindError);
    if (bindError == EACCES && port < 1024) {
      error += " (ports below 1024 need root or the cap_net_bind_service capability)";
    }
    return nullptr;
  }
  UniqueFd epoll(::epoll_create1(EPOLL_CLOEXEC));
  if (!epoll.Valid()) {
    error = std::string("cannot create the event loop: ") + std::strerror(errno);
    return nullptr;
  }
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = kListenerId;
  if (::epoll_ctl(epoll.Get(), EPOLL_CTL_ADD, listener.Get(), &event) != 0) {
    error = std::string("cannot watch the socket: ") + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<TftpServer>(
      new TftpServer(std::move(directory), std::move(listener), std::move(epoll), timing));
}

TftpServer::TftpServer(UniqueFd directory, UniqueFd listener, UniqueFd epoll,
                       Transfer::Timing timing)
    : directory_(std::move(directory)),
      listener_(std::move(listener)),
      epoll_(std::move(epoll)),
      timing_(timing),
      receiveBuffer_(kMaxDatagram) {}

bool TftpServer::Run(int stopFd) {
  epoll_event stopEvent{};
  stopEvent.events = EPOLLIN;
  stopEvent.data.u64 = kStopId;
  if (::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, stopFd, &stopEvent) != 0) return false;

  epoll_event events[kMaxBatch];
  for (;;) {
    const int ready = ::epoll_wait(epoll_.Get(), events, kMaxBatch, NextTimeoutMs(Clock::now()));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (int i = 0; i < ready; ++i) {
      const uint64_t id = events[i].data.u64;
      if (id == kStopId) return true;
      if (id == kListenerId) {
        OnRequest();
      } else {
        OnSessionReadable(id);
      }
    }
    if (!timers_.empty() && timers_.top().first <= Clock::now()) OnTimers(Clock::now());
  }
}

int TftpServer::NextTimeoutMs(Clock::time_point now) const {
  if (timers_.empty()) return -1;
  const auto wait = timers_.top().first - now;
  if (wait <= Clock::duration::zero()) return 0;
  // Round up so that the loop does not wake just before the deadline.
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

void TftpServer::OnRequest() {
  sockaddr_in peer{};
  iovec iov{receiveBuffer_.data(), receiveBuffer_.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
  msghdr message{};
  message.msg_name = &peer;
  message.msg_namelen = sizeof peer;
  message.msg_iov = &iov;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t got = ::recvmsg(listener_.Get(), &message, 0);
  if (got < 0 || message.msg_namelen != sizeof peer || peer.sin_family != AF_INET) return;

  in_addr local{};
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
      in_pktinfo info{};
      std::memcpy(&info, CMSG_DATA(c), sizeof info);
      local = info.ipi_spec_dst;
    }
  }
  const std::span<const std::byte> packet(receiveBuffer_.data(), static_cast<std::size_t>(got));
  const auto opcode = PeekOpcode(packet);
  // Never answer an error packet, so two servers cannot keep each other busy.
  if (opcode == static_cast<uint16_t>(TftpOpcode::kError)) return;
  const bool request = opcode == static_cast<uint16_t>(TftpOpcode::kReadRequest) ||
                       opcode == static_cast<uint16_t>(TftpOpcode::kWriteRequest);
  const auto running = sessionByPeer_.find(PeerKey(peer));
  if (request && running != sessionByPeer_.end()) {
    const uint64_t id = running->second;
    Session& session = sessions_.at(id);
    // A client whose first answer got lost repeats its request: ignore that.
    if (!session.transfer->PeerAnswered()) return;
    // A client that reuses its port for the next file has given up the last one.
    session.transfer->Abandon("replaced by a new request from the client");
    FinishIfEnded(id, session);
  }
  StartSession(peer, local, packet);
}

void TftpServer::StartSession(const sockaddr_in& peer, const in_addr& local,
                              std::span<const std::byte> packet) {
  const auto started = Clock::now();
  UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  sockaddr_in bound{};
  bound.sin_family = AF_INET;
  bound.sin_addr = local;
  if (!socket.Valid() ||
      ::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0) {
    const int socketError = errno;
    SendError(listener_.Get(), TftpErrorCode::kNotDefined, "Server busy", peer);
    std::fprintf(stderr, "%s refused: no socket for the transfer: %s\n", PeerText(peer).c_str(),
                 std::strerror(socketError));
    return;
  }
  auto refuse = [&](TftpErrorCode code, const std::string& text, const std::string& name) {
    SendError(socket.Get(), code, text, peer);
    std::fprintf(stderr, "%s \"%s\" refused: %s (error %u)\n", PeerText(peer).c_str(),
                 PrintableName(name).c_str(), text.c_str(), static_cast<unsigned>(code));
  };

  const ParsedRequest parsed = ParseRequest(packet);
  if (parsed.status == RequestStatus::kOk && parsed.request.opcode == TftpOpcode::kWriteRequest) {
    refuse(TftpErrorCode::kAccessViolation, "Write requests are not accepted",
           parsed.request.fileName);
    return;
  }
  if (parsed.status != RequestStatus::kOk) {
    refuse(TftpErrorCode::kIllegalOperation, "Illegal TFTP operation", "");
    return;
  }
  const TftpRequest& request = parsed.request;
  OpenedFile file = OpenServedFile(directory_.Get(), request.fileName);
  if (!file.fd.Valid()) {
    refuse(file.error, file.message, request.fileName);
    return;
  }
  const bool octet = request.mode == TftpMode::kOctet;
  const Negotiation negotiation =
      NegotiateOptions(request.options, octet ? std::optional<uint64_t>(file.size) : std::nullopt);
  if (negotiation.refused) {
    refuse(TftpErrorCode::kOptionRefused, negotiation.reason, request.fileName);
    return;
  }
  SetBuffers(socket.Get());

  const uint64_t id = nextId_++;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = id;
  if (::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, socket.Get(), &event) != 0) {
    refuse(TftpErrorCode::kNotDefined, "Server busy", request.fileName);
    return;
  }
  Session& session = sessions_[id];
  session.socket = std::move(socket);
  session.peer = peer;
  session.fileName = request.fileName;
  session.started = started;
  session.transfer = std::make_unique<Transfer>(FileSource(std::move(file.fd), request.mode),
                                                negotiation.options, timing_);
  sessionByPeer_[PeerKey(peer)] = id;
  session.transfer->Start(started);
  Flush(session);
  if (!FinishIfEnded(id, session)) timers_.emplace(session.transfer->Deadline(), id);
}

void TftpServer::OnSessionReadable(uint64_t id) {
  const auto it = sessions_.find(id);
  if (it == sessions_.end()) return;
  Session& session = it->second;
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  const ssize_t got = ::recvfrom(session.socket.Get(), receiveBuffer_.data(), receiveBuffer_.size(),
                                 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (got < 0) return;
  const std::span<const std::byte> packet(receiveBuffer_.data(), static_cast<std::size_t>(got));
  if (fromLength != sizeof from || from.sin_family != AF_INET ||
      from.sin_addr.s_addr != session.peer.sin_addr.s_addr ||
      from.sin_port != session.peer.sin_port) {
    if (PeekOpcode(packet) != static_cast<uint16_t>(TftpOpcode::kError)) {
      SendError(session.socket.Get(), TftpErrorCode::kUnknownTransferId, "Unknown transfer ID",
                from);
    }
    return;
  }
  session.transfer->OnPacket(packet, Clock::now());
  Flush(session);
  FinishIfEnded(id, session);
}

void TftpServer::OnTimers(Clock::time_point now) {
  while (!timers_.empty() && timers_.top().first <= now) {
    const uint64_t id = timers_.top().second;
    timers_.pop();
    const auto it = sessions_.find(id);
    if (it == sessions_.end()) continue;
    Session& session = it->second;
    if (session.transfer->Deadline() > now) {
      timers_.emplace(session.transfer->Deadline(), id);
      continue;
    }
    session.transfer->OnTimer(now);
    Flush(session);
    if (!FinishIfEnded(id, session)) timers_.emplace(session.transfer->Deadline(), id);
  }
}

void TftpServer::Flush(Session& session) {
  const auto& outgoing = session.transfer->Outgoing();
  if (outgoing.size() == 1) {
    SendTo(session.socket.Get(), outgoing.front(), session.peer);
    return;
  }
  // A window goes out back to back with one system call per batch.
  iovec iovs[kMaxBatch];
  mmsghdr messages[kMaxBatch];
  for (std::size_t start = 0; start < outgoing.size(); start += kMaxBatch) {
    const std::size_t count = std::min(kMaxBatch, outgoing.size() - start);
    for (std::size_t i = 0; i < count; ++i) {
      const auto& packet = outgoing[start + i];
      iovs[i] = {const_cast<std::byte*>(packet.data()), packet.size()};
      messages[i] = {};
      messages[i].msg_hdr.msg_name = &session.peer;
      messages[i].msg_hdr.msg_namelen = sizeof session.peer;
      messages[i].msg_hdr.msg_iov = &iovs[i];
      messages[i].msg_hdr.msg_iovlen = 1;
    }
    std::size_t sent = 0;
    while (sent < count) {
      const int n =
          ::sendmmsg(session.socket.Get(), messages + sent, static_cast<unsigned>(count - sent), 0);
      if (n <= 0) break;  // the rest is recovered by retransmission
      sent += static_cast<std::size_t>(n);
    }
  }
}

bool TftpServer::FinishIfEnded(uint64_t id, Session& session) {
  const Transfer& transfer = *session.transfer;
  if (transfer.GetState() == Transfer::State::kRunning) return false;
  const double seconds = std::chrono::duration<double>(Clock::now() - session.started).count();
  std::string outcome = StateText(transfer.GetState());
  if (!transfer.Reason().empty()) outcome += ": " + PrintableName(transfer.Reason());
  std::fprintf(stderr, "%s \"%s\" %" PRIu64 " bytes in %.3f s, %s\n",
               PeerText(session.peer).c_str(), PrintableName(session.fileName).c_str(),
               transfer.BytesAcknowledged(), seconds, outcome.c_str());
  sessionByPeer_.erase(PeerKey(session.peer));
  sessions_.erase(id);  // closes the socket, which also leaves the epoll set
  return true;
}
