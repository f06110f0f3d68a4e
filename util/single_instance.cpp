#include "util/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

namespace {

// A directory only this user can enter: made if missing, refused when it is
// a link or belongs to someone else.
bool IsPrivateDirectory(const fs::path& directory) {
  if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (lstat(directory.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

// The session's runtime directory, when it has one.
const char* XdgRuntimeDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code error;
  return runtime != nullptr && runtime[0] == '/' && fs::is_directory(runtime, error) ? runtime : nullptr;
}

}  // namespace

fs::path CSingleInstanceLock::LockPath(std::string_view name) {
  if (const char* runtime = XdgRuntimeDirectory()) return fs::path(runtime) / name;
  std::error_code error;
  const fs::path temp = fs::temp_directory_path(error);
  return (error ? fs::path("/tmp") : temp) / ("runtime-" + std::to_string(geteuid())) / name;
}

CSingleInstanceLock::CSingleInstanceLock(std::string_view name) {
  const fs::path path = LockPath(name);
  if (XdgRuntimeDirectory() == nullptr && !IsPrivateDirectory(path.parent_path())) return;
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) return;
  if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    state_ = State::kHeld;
    return;
  }
  state_ = errno == EWOULDBLOCK ? State::kHeldElsewhere : State::kFailed;
  close(fd_);
  fd_ = -1;
}

CSingleInstanceLock::~CSingleInstanceLock() {
  if (fd_ >= 0) close(fd_);
}
