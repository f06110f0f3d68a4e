#pragma once
// One TFTP read request (RFC 1350, octet mode, optional blksize option of
// RFC 2348) as a device makes it to fetch firmware: a state machine over the
// packets, without sockets or clock. The device only needs the file's size,
// so the data is counted, not kept.
//
// The caller sends Start() to the server's port 69, every later packet to the
// server's transfer port (ServerPort(), fixed by its first answer), and calls
// OnTimeout() when nothing came for its retransmission time.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TftpDownload {
 public:
  enum class State { kRunning, kDone, kFailed };

  // `blockSize` 0 asks for nothing (512-byte blocks); more than `maxBytes`
  // ends the transfer as failed.
  TftpDownload(std::string file, uint16_t blockSize, uint64_t maxBytes, int retries = 5);

  std::vector<uint8_t> Start();
  // A datagram from the server's port `port`; returns the packet to send to
  // ServerPort(), or nothing.
  std::vector<uint8_t> OnDatagram(std::span<const uint8_t> packet, uint16_t port);
  // Returns the packet to send again, or nothing once the retries are spent
  // (the download has then failed).
  std::vector<uint8_t> OnTimeout();

  State GetState() const { return state_; }
  uint64_t Received() const { return received_; }
  uint16_t ServerPort() const { return serverPort_; }
  const std::string& Error() const { return error_; }

 private:
  std::vector<uint8_t> Ack(uint16_t block);
  std::vector<uint8_t> Fail(std::string error, uint16_t code, const char* message);

  std::string file_;
  uint16_t askedBlockSize_;
  uint16_t blockSize_ = 512;
  uint64_t maxBytes_;
  int retries_;
  int retriesLeft_;
  State state_ = State::kRunning;
  uint16_t serverPort_ = 0;
  uint16_t nextBlock_ = 1;  // wraps past 65535 as the servers' block numbers do
  uint64_t received_ = 0;
  std::vector<uint8_t> last_;  // the packet a timeout sends again
  std::string error_;
};
