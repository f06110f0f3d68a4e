#include "app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

CInstanceLock::~CInstanceLock() {
  if (fd_ >= 0) close(fd_);
}

std::filesystem::path CInstanceLock::RuntimeDirectory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
  std::error_code error;
  std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  if (error) dir = "/tmp";
  dir /= std::string(APP_PROGRAM_NAME "-") + std::to_string(getuid());
  // A folder that someone else made could let them hold the lock for us.
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return dir;
  struct stat info {};
  if (lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) return {};
  return dir;
}

bool CInstanceLock::Acquire(const std::string& name, const std::filesystem::path& directory) {
  if (fd_ >= 0) return true;
  if (directory.empty()) return false;
  const std::filesystem::path file = directory / (name + ".lock");
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}
