#include "sim/tftp_fetcher.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// After the last acknowledgement the socket stays open this long, so that a
// server whose copy of it was lost gets it again.
constexpr auto kLinger = std::chrono::seconds(2);

}  // namespace

TftpFetcher::TftpFetcher(uint16_t blockSize, SimClock::duration timeout)
    : blockSize_(blockSize), timeout_(timeout) {}

TftpFetcher::~TftpFetcher() {
  for (auto& [fd, job] : jobs_) close(fd);
}

void TftpFetcher::Fetch(std::size_t device, const Ipv4& from, const sockaddr_in& server,
                        const std::string& file, uint64_t maxBytes) {
  Cancel(device);
  TftpDownload download(file, blockSize_, maxBytes);
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  std::memcpy(&local.sin_addr, from.data(), 4);
  const int on = 1;
  if (fd >= 0) setsockopt(fd, IPPROTO_IP, IP_FREEBIND, &on, sizeof on);
  if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    const std::string error = std::string("cannot open a socket: ") + std::strerror(errno);
    if (fd >= 0) close(fd);
    finished_.push_back({device, false, 0, error});
    return;
  }
  auto job = std::make_unique<Job>(Job{device, fd, server, std::move(download), {}});
  Job& started = *job;
  jobs_.emplace(fd, std::move(job));
  Send(started, started.download.Start(), ntohs(server.sin_port));
  started.deadline = SimClock::now() + timeout_;
}

void TftpFetcher::Cancel(std::size_t device) {
  for (auto it = jobs_.begin(); it != jobs_.end(); ++it) {
    if (it->second->device == device) {
      Close(it);
      return;
    }
  }
}

std::vector<pollfd> TftpFetcher::Fds() const {
  std::vector<pollfd> fds;
  fds.reserve(jobs_.size());
  for (const auto& [fd, job] : jobs_) fds.push_back({fd, POLLIN, 0});
  return fds;
}

void TftpFetcher::Send(Job& job, const std::vector<uint8_t>& packet, uint16_t port) {
  if (packet.empty()) return;
  sockaddr_in to = job.server;
  to.sin_port = htons(port);
  sendto(job.fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to),
         sizeof to);
}

void TftpFetcher::Report(Job& job, bool ok, std::string error) {
  if (job.reported) return;
  job.reported = true;
  finished_.push_back({job.device, ok, job.download.Received(), std::move(error)});
}

void TftpFetcher::OnReadable(int fd, SimClock::time_point now) {
  const auto it = jobs_.find(fd);
  if (it == jobs_.end()) return;
  Job& job = *it->second;
  uint8_t buffer[65536 + 4];
  for (;;) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t got =
        recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (got < 0) break;
    // Only the server's host takes part in the transfer.
    if (from.sin_addr.s_addr != job.server.sin_addr.s_addr) continue;
    const auto reply =
        job.download.OnDatagram({buffer, static_cast<std::size_t>(got)}, ntohs(from.sin_port));
    Send(job, reply, job.download.ServerPort());
    if (!reply.empty()) job.deadline = now + timeout_;
    if (job.download.GetState() == TftpDownload::State::kDone && !job.reported) {
      Report(job, true, {});
      job.deadline = now + kLinger;
    } else if (job.download.GetState() == TftpDownload::State::kFailed) {
      Report(job, false, job.download.Error());
      Close(it);
      return;
    }
  }
}

void TftpFetcher::Tick(SimClock::time_point now) {
  for (auto it = jobs_.begin(); it != jobs_.end();) {
    Job& job = *it->second;
    if (job.deadline > now) {
      ++it;
      continue;
    }
    if (job.download.GetState() == TftpDownload::State::kDone) {
      Close(it++);
      continue;
    }
    const auto packet = job.download.OnTimeout();
    if (packet.empty()) {
      Report(job, false, job.download.Error());
      Close(it++);
      continue;
    }
    // Before the server's first answer the request goes to its well-known port.
    const uint16_t port =
        job.download.ServerPort() != 0 ? job.download.ServerPort() : ntohs(job.server.sin_port);
    Send(job, packet, port);
    job.deadline = now + timeout_;
    ++it;
  }
}

std::vector<TftpFetcher::Finished> TftpFetcher::TakeFinished() {
  std::vector<Finished> finished;
  finished.swap(finished_);
  return finished;
}

void TftpFetcher::Close(std::map<int, std::unique_ptr<Job>>::iterator it) {
  close(it->first);
  jobs_.erase(it);
}
