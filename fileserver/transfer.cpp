#include "fileserver/transfer.h"

#include "fileserver/tftp_packet.h"

Transfer::Transfer(FileSource source, const TransferOptions& options, Timing timing)
    : source_(std::move(source)),
      blockSize_(options.blockSize),
      windowSize_(options.windowSize),
      timeout_(options.timeoutSeconds > 0 ? std::chrono::seconds(options.timeoutSeconds)
                                          : timing.defaultTimeout),
      maxRetries_(timing.maxRetries),
      slots_(static_cast<std::size_t>(windowSize_) * (kTftpHeaderSize + blockSize_)),
      slotLength_(windowSize_, 0) {
  if (!options.acknowledged.empty()) {
    optionAck_ = BuildOptionAck(options.acknowledged);
    awaitingOptionAck_ = true;
  }
}

std::span<std::byte> Transfer::Slot(uint64_t block) {
  const std::size_t stride = kTftpHeaderSize + blockSize_;
  return std::span<std::byte>(slots_).subspan((block % windowSize_) * stride, stride);
}

void Transfer::Start(Clock::time_point now) {
  outgoing_.clear();
  if (awaitingOptionAck_) {
    outgoing_.emplace_back(optionAck_);
    deadline_ = now + timeout_;
    return;
  }
  SendWindow(now);
}

void Transfer::SendWindow(Clock::time_point now) {
  uint64_t end = firstUnacked_ + windowSize_;
  if (lastBlock_ != 0) end = std::min(end, lastBlock_ + 1);
  while (nextToFill_ < end) {
    std::span<std::byte> slot = Slot(nextToFill_);
    const std::ptrdiff_t got = source_.Read(slot.subspan(kTftpHeaderSize));
    if (got < 0) {
      Fail(TftpErrorCode::kNotDefined, "Read error");
      return;
    }
    WriteDataHeader(slot.first<kTftpHeaderSize>(), static_cast<uint16_t>(nextToFill_));
    slotLength_[nextToFill_ % windowSize_] = kTftpHeaderSize + static_cast<std::size_t>(got);
    if (static_cast<std::size_t>(got) < blockSize_) {
      lastBlock_ = nextToFill_;
      end = nextToFill_ + 1;
    }
    ++nextToFill_;
  }
  windowEnd_ = end;
  QueueWindow();
  deadline_ = now + timeout_;
}

void Transfer::QueueWindow() {
  for (uint64_t block = firstUnacked_; block < windowEnd_; ++block) {
    outgoing_.emplace_back(Slot(block).first(slotLength_[block % windowSize_]));
  }
}

void Transfer::OnPacket(std::span<const std::byte> packet, Clock::time_point now) {
  outgoing_.clear();
  if (state_ != State::kRunning) return;
  if (const auto ack = ParseAck(packet)) {
    OnAck(*ack, now);
  } else if (const auto error = ParseErrorPacket(packet)) {
    state_ = State::kAbortedByPeer;
    reason_ = "aborted by the client: error " + std::to_string(error->code) + " " + error->message;
    deadline_ = Clock::time_point::max();
  } else {
    Fail(TftpErrorCode::kIllegalOperation, "Illegal TFTP operation");
  }
}

void Transfer::OnAck(uint16_t wireBlock, Clock::time_point now) {
  if (awaitingOptionAck_) {
    if (wireBlock != 0) return;
    awaitingOptionAck_ = false;
    peerAnswered_ = true;
    retries_ = 0;
    SendWindow(now);
    return;
  }
  // Which block of the window this acknowledges; the block before the window
  // (a duplicate) and numbers outside it are ignored, so a delayed duplicate
  // can never start a second stream of retransmissions.
  const uint16_t delta =
      static_cast<uint16_t>(wireBlock - static_cast<uint16_t>(firstUnacked_ - 1));
  if (delta == 0 || delta > windowEnd_ - firstUnacked_) return;
  for (uint64_t block = firstUnacked_; block < firstUnacked_ + delta; ++block) {
    bytesAcknowledged_ += slotLength_[block % windowSize_] - kTftpHeaderSize;
  }
  firstUnacked_ += delta;
  peerAnswered_ = true;
  retries_ = 0;
  if (lastBlock_ != 0 && firstUnacked_ > lastBlock_) {
    state_ = State::kDone;
    deadline_ = Clock::time_point::max();
    return;
  }
  SendWindow(now);
}

void Transfer::OnTimer(Clock::time_point now) {
  outgoing_.clear();
  if (state_ != State::kRunning || now < deadline_) return;
  if (++retries_ > maxRetries_) {
    state_ = State::kTimedOut;
    reason_ = "timed out";
    deadline_ = Clock::time_point::max();
    return;
  }
  if (awaitingOptionAck_) {
    outgoing_.emplace_back(optionAck_);
  } else {
    QueueWindow();
  }
  deadline_ = now + timeout_;
}

void Transfer::Fail(TftpErrorCode code, std::string message) {
  errorPacket_ = BuildErrorPacket(code, message);
  outgoing_.clear();
  outgoing_.emplace_back(errorPacket_);
  state_ = State::kFailed;
  reason_ = std::move(message);
  deadline_ = Clock::time_point::max();
}

void Transfer::Abandon(std::string reason) {
  outgoing_.clear();
  state_ = State::kFailed;
  reason_ = std::move(reason);
  deadline_ = Clock::time_point::max();
}
