#pragma once
// Opens a requested file for reading, but only a regular file inside the
// served folder: names with ".." segments, absolute names and symbolic links
// that lead out of the folder are refused. Callable from any thread.

#include <cstdint>
#include <string>
#include <string_view>

#include "fileserver/tftp_request.h"
#include "fileserver/unique_fd.h"

struct OpenedFile {
  UniqueFd fd;  // valid on success
  uint64_t size = 0;
  TftpErrorCode error = TftpErrorCode::kNotDefined;  // when fd is not valid
  std::string message;                               // for the ERROR packet and the log
};

// `directory` is a descriptor of the served folder (O_PATH is enough).
OpenedFile OpenServedFile(int directory, std::string_view name);
