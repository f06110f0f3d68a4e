#pragma once
// CUdpDatagramTransport: the engine's real sockets. The search, announcement,
// keepalive and reply sockets are bound to the wildcard address; a message to
// one device goes from a short-lived socket bound to the local adapter address
// and the keepalive port, connected to the devices' multicast group, so that
// it never takes the keepalives that devices send to that address.
//
// The ports default to the protocol's; tests on loopback may pick others.
// Thread safety as CDatagramTransport.

#include <array>
#include <atomic>

#include "protocol/datagram.h"
#include "protocol/datagram_transport.h"

struct UdpPorts {
  uint16_t announce = kAnnouncePort;
  uint16_t search = kSearchPort;          // local port and destination of the search
  uint16_t keepalive = kKeepalivePort;    // local port of the per-device socket too
  uint16_t reply = kReplyPort;
  uint16_t device = kKeepalivePort;       // destination port at the multicast group
};

class CUdpDatagramTransport final : public CDatagramTransport {
 public:
  explicit CUdpDatagramTransport(UdpPorts ports = {});
  ~CUdpDatagramTransport() override;
  CUdpDatagramTransport(const CUdpDatagramTransport&) = delete;
  CUdpDatagramTransport& operator=(const CUdpDatagramTransport&) = delete;

  bool Open() override;
  void Shutdown() override;
  void Close() override;
  long Receive(EngineSocket socket, std::span<uint8_t> buffer, sockaddr_in& sender) override;
  bool SendSearch(const std::string& destinationIp, std::span<const uint8_t> datagram) override;
  bool SendFromAdapter(const std::string& localIp, std::span<const uint8_t> datagram) override;

 private:
  std::array<std::atomic<int>, 4> sockets_;
  UdpPorts ports_;
};
