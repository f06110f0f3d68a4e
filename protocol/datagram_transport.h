#pragma once
// The engine's datagram transport: its four sockets and the short-lived
// per-device send. The engine's creator may pass its own transport; the
// default is CUdpDatagramTransport. Tests pass a fake one that records every
// datagram sent and delivers datagrams they make up.
//
// Thread safety: Receive is called by one thread per receiving socket at a
// time; every other member may be called from any thread, concurrently with
// Receive. Shutdown wakes every blocked Receive.

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The engine's sockets by role, each with the port the protocol gives it.
enum class EngineSocket { kSearch, kAnnounce, kKeepalive, kReply };

class CDatagramTransport {
 public:
  virtual ~CDatagramTransport() = default;

  // Opens the search, announcement, keepalive and reply sockets. False at the
  // first one that cannot be opened; Close releases whatever was opened.
  virtual bool Open() = 0;
  // Wakes every receiver blocked in Receive; later calls return at once.
  virtual void Shutdown() = 0;
  // Closes the sockets. Call after the receivers have returned.
  virtual void Close() = 0;

  // Waits for one datagram on a receiving socket and copies at most
  // buffer.size() bytes of it. Returns its full size (larger than the buffer
  // when it did not fit), 0 after Shutdown, or -1 on an error.
  virtual long Receive(EngineSocket socket, std::span<uint8_t> buffer, sockaddr_in& sender) = 0;

  // Sends one datagram from the search socket to the search port of
  // `destinationIp` (a directed broadcast address or 255.255.255.255).
  virtual bool SendSearch(const std::string& destinationIp, std::span<const uint8_t> datagram) = 0;

  // Sends one datagram to the devices' multicast group from a socket bound to
  // the local adapter address `localIp`, as every message to one device goes.
  virtual bool SendFromAdapter(const std::string& localIp, std::span<const uint8_t> datagram) = 0;
};
