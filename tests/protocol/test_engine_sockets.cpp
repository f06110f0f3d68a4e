// The real sockets on loopback, on test ports: datagrams reach the handlers,
// oversized ones are refused, and Stop wakes the blocked receivers at once.
// Nothing is sent beyond loopback: the engine has no adapters here and is
// never asked to search.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "protocol/udp_datagram_transport.h"
#include "tests/protocol/engine_fakes.h"
#include "protocol/device_engine.h"
#include "store/sql_management.h"
#include "tests/util/temp_directory.h"

namespace {

using std::chrono::milliseconds;

UdpPorts TestPorts() {
  const auto base = static_cast<uint16_t>(42000 + (getpid() % 2000) * 4);
  UdpPorts ports;
  ports.announce = base;
  ports.search = static_cast<uint16_t>(base + 1);
  ports.keepalive = static_cast<uint16_t>(base + 2);
  ports.reply = static_cast<uint16_t>(base + 3);
  ports.device = ports.keepalive;
  return ports;
}

bool SendTo(uint16_t port, const std::vector<uint8_t>& bytes) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  const sockaddr_in to = Address("127.0.0.1", port);
  const bool sent = sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                           sizeof to) == static_cast<ssize_t>(bytes.size());
  close(fd);
  return sent;
}

template <typename Predicate>
bool WaitUntil(Predicate predicate) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return true;
}

class EngineSockets : public ::testing::Test {
 protected:
  EngineSockets() : store_(dir_.path() / "data.db") {
    EngineOptions options;
    options.transport = std::make_unique<CUdpDatagramTransport>(ports_);
    options.adapters = std::make_unique<CFakeAdapterSource>();
    engine_ = std::make_unique<CDeviceEngine>(store_, std::move(options));
  }

  UdpPorts ports_ = TestPorts();
  TempDirectory dir_;
  CSqlManagement store_;
  std::unique_ptr<CDeviceEngine> engine_;
};

TEST_F(EngineSockets, DatagramsReachTheHandlersAndOversizedOnesAreRefused) {
  ASSERT_TRUE(engine_->Start(2000, 3));
  ASSERT_TRUE(SendTo(ports_.announce, Announcement("00:11:22:33:44:0a")));
  ASSERT_TRUE(WaitUntil([&] { return engine_->OnlineDevices().size() == 1; }));
  EXPECT_EQ(engine_->OnlineDevices()[0].ip, "127.0.0.1");

  std::vector<uint8_t> largest = DeviceDatagram(kMsgDeviceInfo, "00:11:22:33:44:0a",
                                                std::vector<uint8_t>(kMaxPayloadSize));
  std::vector<uint8_t> oversized = largest;
  oversized.push_back(0);
  ASSERT_TRUE(SendTo(ports_.reply, oversized));
  ASSERT_TRUE(SendTo(ports_.reply, largest));
  ASSERT_TRUE(WaitUntil([&] { return engine_->Counters().received[2] == 2; }));
  EXPECT_EQ(engine_->Counters().accepted[2], 1u);
}

TEST_F(EngineSockets, StopWakesBlockedReceiversAtOnce) {
  ASSERT_TRUE(engine_->Start(2000, 3));
  std::this_thread::sleep_for(milliseconds(20));  // every receiver is in recvfrom now
  const auto started = std::chrono::steady_clock::now();
  engine_->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(100));
  EXPECT_FALSE(engine_->IsRunning());
}

TEST_F(EngineSockets, StartFailsWhenAPortIsTaken) {
  // Another socket without address reuse holds the reply port.
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  const sockaddr_in at = Address("0.0.0.0", ports_.reply);
  ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at), 0);
  EXPECT_FALSE(engine_->Start(2000, 3));
  close(fd);
}

}  // namespace
