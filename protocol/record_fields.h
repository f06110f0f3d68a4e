#pragma once
// Field access on queued records: the header's MAC, the sender's address and
// the payload, capped at what a message's reader takes.

#include <span>
#include <string>

#include "protocol/datagram.h"
#include "protocol/receive_queue.h"

std::string SenderIpText(const QueueRecord& record);
std::string HeaderMacText(const DatagramHeader& header);
bool IsZeroMac(const DatagramHeader& header);
// The payload as the header's length gives it, at most `cap` bytes. Reading
// within the zero-filled record, a length past the received size reads zeros.
std::span<const uint8_t> PayloadOf(const QueueRecord& record, const DatagramHeader& header,
                                   std::size_t cap);
