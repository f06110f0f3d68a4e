#include "fileserver/file_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t kReadAheadSize = 128 * 1024;
}

FileSource::FileSource(UniqueFd file, TftpMode mode)
    : file_(std::move(file)), mode_(mode), buffer_(kReadAheadSize) {}

std::ptrdiff_t FileSource::Read(std::span<std::byte> out) {
  return mode_ == TftpMode::kOctet ? ReadOctets(out) : ReadNetascii(out);
}

bool FileSource::Refill() {
  bufferPos_ = 0;
  bufferEnd_ = 0;
  for (;;) {
    const ssize_t got =
        ::pread(file_.Get(), buffer_.data(), buffer_.size(), static_cast<off_t>(fileOffset_));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      readError_ = true;
      return false;
    }
    fileOffset_ += static_cast<uint64_t>(got);
    bufferEnd_ = static_cast<std::size_t>(got);
    return got > 0;
  }
}

std::ptrdiff_t FileSource::ReadOctets(std::span<std::byte> out) {
  std::size_t filled = 0;
  while (filled < out.size()) {
    if (bufferPos_ == bufferEnd_ && !Refill()) break;
    const std::size_t n = std::min(out.size() - filled, bufferEnd_ - bufferPos_);
    std::memcpy(out.data() + filled, buffer_.data() + bufferPos_, n);
    bufferPos_ += n;
    filled += n;
  }
  if (readError_) return -1;
  return static_cast<std::ptrdiff_t>(filled);
}

std::ptrdiff_t FileSource::ReadNetascii(std::span<std::byte> out) {
  std::size_t filled = 0;
  while (filled < out.size()) {
    if (pending_) {
      out[filled++] = *pending_;
      pending_.reset();
      continue;
    }
    if (bufferPos_ == bufferEnd_ && !Refill()) break;
    const std::byte b = buffer_[bufferPos_++];
    if (b == std::byte{'\n'}) {
      out[filled++] = std::byte{'\r'};
      pending_ = std::byte{'\n'};
    } else if (b == std::byte{'\r'}) {
      out[filled++] = std::byte{'\r'};
      pending_ = std::byte{0};
    } else {
      out[filled++] = b;
    }
  }
  if (readError_) return -1;
  return static_cast<std::ptrdiff_t>(filled);
}
