// The devices' firmware fetch over real sockets on loopback, against the
// project's own TFTP server running in a thread of the test.

#include "sim/tftp_fetcher.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "fileserver/tftp_server.h"

namespace {

namespace fs = std::filesystem;

class TftpFetcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("devsim-tftp-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "fw.bin", std::ios::binary) << std::string(70000, 'f');
    in_addr loopback{};
    inet_pton(AF_INET, "127.0.0.1", &loopback);
    std::string error;
    for (uint16_t candidate = 17169; candidate < 17269 && !server_; ++candidate) {
      UniqueFd directory(::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      server_ = TftpServer::Create(std::move(directory), loopback, candidate,
                                   Transfer::Timing{std::chrono::milliseconds(200), 3}, error);
      port_ = candidate;
    }
    ASSERT_TRUE(server_) << error;
    stop_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { server_->Run(stop_); });
  }
  void TearDown() override {
    if (thread_.joinable()) {
      const uint64_t one = 1;
      (void)!write(stop_, &one, sizeof one);
      thread_.join();
    }
    if (stop_ >= 0) close(stop_);
    fs::remove_all(folder_);
  }

  // Runs the fetch as devsim's loop does until it ends (or 5 s pass).
  TftpFetcher::Finished Fetch(TftpFetcher& fetcher, const std::string& file, uint64_t maxBytes) {
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port_);
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    fetcher.Fetch(7, Ipv4{127, 0, 0, 1}, server, file, maxBytes);
    const auto end = SimClock::now() + std::chrono::seconds(5);
    while (SimClock::now() < end) {
      auto fds = fetcher.Fds();
      poll(fds.data(), fds.size(), 10);
      for (const pollfd& fd : fds) {
        if (fd.revents & POLLIN) fetcher.OnReadable(fd.fd, SimClock::now());
      }
      fetcher.Tick(SimClock::now());
      auto finished = fetcher.TakeFinished();
      if (!finished.empty()) return finished[0];
    }
    return {0, false, 0, "no end within 5 s"};
  }

  fs::path folder_;
  std::unique_ptr<TftpServer> server_;
  uint16_t port_ = 0;
  int stop_ = -1;
  std::thread thread_;
};

TEST_F(TftpFetcherTest, FetchesTheWholeFileWithPlainAndNegotiatedBlocks) {
  for (uint16_t blockSize : {uint16_t{0}, uint16_t{1428}}) {
    SCOPED_TRACE(blockSize);
    TftpFetcher fetcher(blockSize, std::chrono::milliseconds(200));
    const auto done = Fetch(fetcher, "fw.bin", 70000);
    EXPECT_TRUE(done.ok) << done.error;
    EXPECT_EQ(done.device, 7u);
    EXPECT_EQ(done.bytes, 70000u);
  }
}

TEST_F(TftpFetcherTest, AMissingFileOrALargerOneFails) {
  TftpFetcher fetcher(0, std::chrono::milliseconds(200));
  const auto missing = Fetch(fetcher, "missing.bin", 70000);
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("server error 1"), std::string::npos) << missing.error;
  const auto large = Fetch(fetcher, "fw.bin", 1000);
  EXPECT_FALSE(large.ok);
  EXPECT_TRUE(fetcher.Fds().empty());
}

}  // namespace
