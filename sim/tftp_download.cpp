#include "sim/tftp_download.h"

#include <cstdlib>
#include <cstring>

namespace {

enum : uint16_t { kRrq = 1, kData = 3, kAck = 4, kError = 5, kOack = 6 };
enum : uint16_t { kErrorDiskFull = 3, kErrorOptionRefused = 8 };

uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>((at[0] << 8) | at[1]); }

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

TftpDownload::TftpDownload(std::string file, uint16_t blockSize, uint64_t maxBytes, int retries)
    : file_(std::move(file)),
      askedBlockSize_(blockSize),
      maxBytes_(maxBytes),
      retries_(retries),
      retriesLeft_(retries) {}

std::vector<uint8_t> TftpDownload::Start() {
  std::vector<uint8_t> request;
  PutU16(request, kRrq);
  PutText(request, file_);
  PutText(request, "octet");
  if (askedBlockSize_ != 0) {
    PutText(request, "blksize");
    PutText(request, std::to_string(askedBlockSize_));
  }
  last_ = request;
  return request;
}

std::vector<uint8_t> TftpDownload::Ack(uint16_t block) {
  std::vector<uint8_t> ack;
  PutU16(ack, kAck);
  PutU16(ack, block);
  last_ = ack;
  retriesLeft_ = retries_;
  return ack;
}

std::vector<uint8_t> TftpDownload::Fail(std::string error, uint16_t code, const char* message) {
  state_ = State::kFailed;
  error_ = std::move(error);
  std::vector<uint8_t> packet;
  PutU16(packet, kError);
  PutU16(packet, code);
  PutText(packet, message);
  return packet;
}

std::vector<uint8_t> TftpDownload::OnDatagram(std::span<const uint8_t> packet, uint16_t port) {
  if (packet.size() < 4) return {};
  // Only the first answer fixes the server's transfer port; strays are dropped.
  if (serverPort_ == 0 && state_ == State::kRunning) serverPort_ = port;
  if (port != serverPort_) return {};
  const uint16_t opcode = GetU16(packet.data());
  if (opcode == kError) {
    if (state_ != State::kRunning) return {};
    state_ = State::kFailed;
    const auto* text = reinterpret_cast<const char*>(packet.data() + 4);
    error_ = "server error " + std::to_string(GetU16(packet.data() + 2)) + ": " +
             std::string(text, strnlen(text, packet.size() - 4));
    return {};
  }
  if (opcode == kOack) {
    if (state_ != State::kRunning || nextBlock_ != 1 || received_ != 0) return {};
    // name\0value\0 pairs; only the block size we asked for may come back.
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = 2; i < packet.size(); ++i) {
      if (packet[i] == 0) {
        fields.push_back(field);
        field.clear();
      } else {
        field.push_back(static_cast<char>(packet[i]));
      }
    }
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
      if (!SameText(fields[i], "blksize") || askedBlockSize_ == 0) {
        return Fail("server sent an option not asked for", kErrorOptionRefused, "option refused");
      }
      const unsigned long size = std::strtoul(fields[i + 1].c_str(), nullptr, 10);
      if (size < 8 || size > askedBlockSize_) {
        return Fail("server sent a bad block size", kErrorOptionRefused, "bad blksize");
      }
      blockSize_ = static_cast<uint16_t>(size);
    }
    return Ack(0);
  }
  if (opcode != kData) return {};
  const uint16_t block = GetU16(packet.data() + 2);
  const std::size_t bytes = packet.size() - 4;
  if (state_ == State::kDone) {
    // Our last acknowledgement was lost: the server sends its last block again.
    return block == static_cast<uint16_t>(nextBlock_ - 1) ? Ack(block) : std::vector<uint8_t>{};
  }
  if (state_ != State::kRunning) return {};
  if (block == static_cast<uint16_t>(nextBlock_ - 1) && received_ > 0) return Ack(block);
  if (block != nextBlock_) return {};
  // Without an option acknowledgement the server uses 512-byte blocks.
  if (bytes > blockSize_) return Fail("block longer than the block size", 4, "bad block");
  if (received_ + bytes > maxBytes_) {
    received_ += bytes;
    return Fail("file larger than announced", kErrorDiskFull, "file too large");
  }
  received_ += bytes;
  ++nextBlock_;
  auto ack = Ack(block);
  if (bytes < blockSize_) state_ = State::kDone;
  return ack;
}

std::vector<uint8_t> TftpDownload::OnTimeout() {
  if (state_ != State::kRunning) return {};
  if (retriesLeft_-- <= 0) {
    state_ = State::kFailed;
    error_ = "timed out";
    return {};
  }
  return last_;
}
