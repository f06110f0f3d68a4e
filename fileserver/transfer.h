#pragma once
// One read transfer as a state machine: it sends the OACK or the first window
// of DATA blocks, moves on with each acknowledgement (lock-step, or windows of
// blocks after RFC 7440), retransmits on time-out a bounded number of times and
// rolls block numbers over past 65535. It owns its file and its packet
// buffers and performs no I/O on the network: after each call the caller sends
// the packets listed by Outgoing(). Used on the server's thread only.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fileserver/file_source.h"
#include "fileserver/tftp_request.h"

class Transfer {
 public:
  using Clock = std::chrono::steady_clock;

  enum class State { kRunning, kDone, kTimedOut, kAbortedByPeer, kFailed };

  struct Timing {
    std::chrono::milliseconds defaultTimeout{1000};
    int maxRetries = 6;  // retransmissions of one packet or window before giving up
  };

  Transfer(FileSource source, const TransferOptions& options, Timing timing);

  void Start(Clock::time_point now);
  // A datagram from the peer's transfer ID.
  void OnPacket(std::span<const std::byte> packet, Clock::time_point now);
  // Call when Deadline() has passed.
  void OnTimer(Clock::time_point now);

  // The packets to send after the last call; valid until the next call.
  const std::vector<std::span<const std::byte>>& Outgoing() const { return outgoing_; }
  Clock::time_point Deadline() const { return deadline_; }
  State GetState() const { return state_; }
  // File bytes (as sent on the wire) that the peer acknowledged.
  uint64_t BytesAcknowledged() const { return bytesAcknowledged_; }
  // True once the peer acknowledged anything: a request repeated after that
  // is a new one, not a retransmission of the request that started this.
  bool PeerAnswered() const { return peerAnswered_; }
  // Ends the transfer without a word to the peer.
  void Abandon(std::string reason);
  // Why the transfer ended when it did not end well.
  const std::string& Reason() const { return reason_; }

 private:
  std::span<std::byte> Slot(uint64_t block);
  void SendWindow(Clock::time_point now);
  void QueueWindow();
  void OnAck(uint16_t wireBlock, Clock::time_point now);
  void Fail(TftpErrorCode code, std::string message);

  FileSource source_;
  uint16_t blockSize_;
  uint16_t windowSize_;
  std::chrono::milliseconds timeout_;
  int maxRetries_;

  State state_ = State::kRunning;
  bool awaitingOptionAck_ = false;
  bool peerAnswered_ = false;
  std::vector<std::byte> optionAck_;
  std::vector<std::byte> errorPacket_;
  // Blocks are counted from 1 without wrapping; the wire number is the low 16 bits.
  std::vector<std::byte> slots_;         // windowSize_ slots of header + block
  std::vector<std::size_t> slotLength_;  // packet length of each slot
  uint64_t firstUnacked_ = 1;
  uint64_t nextToFill_ = 1;
  uint64_t windowEnd_ = 1;  // one past the last block sent
  uint64_t lastBlock_ = 0;  // 0 until the short block that ends the file was read
  uint64_t bytesAcknowledged_ = 0;
  int retries_ = 0;
  Clock::time_point deadline_ = Clock::time_point::max();
  std::vector<std::span<const std::byte>> outgoing_;
  std::string reason_;
};
