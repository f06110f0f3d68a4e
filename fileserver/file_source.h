#pragma once
// Reads a served file front to back for a transfer, in octet mode as it is and
// in netascii mode with LF sent as CR LF and CR as CR NUL. Reads ahead in large
// chunks so that small blocks cost no system call each. Owns the descriptor;
// used by one transfer on the server's thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fileserver/tftp_request.h"
#include "fileserver/unique_fd.h"

class FileSource {
 public:
  FileSource(UniqueFd file, TftpMode mode);

  // Fills `out`; fewer bytes only at the end of the file; -1 on a read error.
  std::ptrdiff_t Read(std::span<std::byte> out);

 private:
  std::ptrdiff_t ReadOctets(std::span<std::byte> out);
  std::ptrdiff_t ReadNetascii(std::span<std::byte> out);
  // Refills the read-ahead buffer: false at the end of the file or on an error.
  bool Refill();

  UniqueFd file_;
  TftpMode mode_;
  uint64_t fileOffset_ = 0;
  std::vector<std::byte> buffer_;
  std::size_t bufferPos_ = 0;
  std::size_t bufferEnd_ = 0;
  bool readError_ = false;
  std::optional<std::byte> pending_;  // second byte of a CR LF or CR NUL pair
};
