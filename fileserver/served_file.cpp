#include "fileserver/served_file.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace {

OpenedFile Refusal(TftpErrorCode code, std::string message) {
  OpenedFile result;
  result.error = code;
  result.message = std::move(message);
  return result;
}

bool HasParentSegment(std::string_view name) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

OpenedFile OpenServedFile(int directory, std::string_view name) {
  if (name.empty() || name.front() == '/' || HasParentSegment(name)) {
    return Refusal(TftpErrorCode::kAccessViolation, "Access violation");
  }
  const std::string path(name);
  // The kernel resolves the name beneath the folder, so no symbolic link or
  // rename race can reach a file outside it. O_NONBLOCK keeps a FIFO from
  // blocking the server before it is refused below.
  open_how how{};
  how.flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  const int fd =
      static_cast<int>(::syscall(SYS_openat2, directory, path.c_str(), &how, sizeof how));
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
      case ENOTDIR:
        return Refusal(TftpErrorCode::kFileNotFound, "File not found");
      default:  // EXDEV (escape), EACCES, ELOOP, ...
        return Refusal(TftpErrorCode::kAccessViolation, "Access violation");
    }
  }
  OpenedFile result;
  result.fd = UniqueFd(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    return Refusal(TftpErrorCode::kAccessViolation, "Not a regular file");
  }
  result.size = static_cast<uint64_t>(st.st_size);
  return result;
}
