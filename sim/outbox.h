#pragma once
// Where the simulator's datagrams go: the socket layer in devsim, a recording
// fake in the tests.

#include <cstdint>
#include <span>

#include <netinet/in.h>

#include "sim/sim_device.h"

class Outbox {
 public:
  virtual ~Outbox() = default;
  // Sends one datagram with the device's address `from` as its source.
  virtual void Send(const Ipv4& from, const sockaddr_in& to, std::span<const uint8_t> datagram) = 0;
};
