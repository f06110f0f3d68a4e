#include "util/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include "util/ini_document.h"
#include "util/utf8.h"

namespace {

// Identifies one version of a file; a rewrite through rename changes the inode,
// an edit in place changes the size or the modification time.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  static FileStamp Of(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  }
  bool operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

struct CachedDocument {
  FileStamp stamp;
  std::shared_ptr<const IniDocument> document;
};

// Language files are read on every translated text, so parsed files are kept
// and shared; a handful of files are ever read, the bound only guards misuse.
constexpr std::size_t kMaxCachedFiles = 32;
std::mutex cacheMutex;
std::unordered_map<std::string, CachedDocument> cache;

// Read-modify-write of a file must not interleave with another writer of this process.
std::mutex writeMutex;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool ReadAll(int fd, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count == 0) return true;
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

// nullptr when the file cannot be opened or read. An unchanged file costs one
// stat(); the stamp stored is the one of the descriptor actually read.
std::shared_ptr<const IniDocument> LoadDocument(const std::filesystem::path& file) {
  const std::string key = file.string();
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  {
    std::lock_guard lock(cacheMutex);
    const auto found = cache.find(key);
    if (found != cache.end() && found->second.stamp == FileStamp::Of(info))
      return found->second.document;
  }
  FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  std::string bytes;
  if (!ReadAll(fd.get(), bytes)) return nullptr;
  auto document = std::make_shared<const IniDocument>(DecodeIniBytes(bytes).text);
  std::lock_guard lock(cacheMutex);
  if (cache.size() >= kMaxCachedFiles && cache.find(key) == cache.end()) cache.clear();
  cache[key] = {FileStamp::Of(info), document};
  return document;
}

void ForgetDocument(const std::filesystem::path& file) {
  std::lock_guard lock(cacheMutex);
  cache.erase(file.string());
}

// The file that a write must replace: the target of a symbolic link, so that
// the rename does not turn the link into a plain file.
std::filesystem::path WriteTarget(const std::filesystem::path& file) {
  std::error_code error;
  const auto resolved = std::filesystem::canonical(file, error);
  return error ? file : resolved;
}

bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes, mode_t mode) {
  std::string temporary = target.string() + ".XXXXXX";
  FileDescriptor fd(::mkstemp(temporary.data()));
  if (fd.get() < 0) return false;
  const bool written = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), bytes) &&
                       ::fsync(fd.get()) == 0 && ::close(fd.release()) == 0;
  if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string ReadIniString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view defaultValue,
                          std::size_t maxChars) {
  const auto document = LoadDocument(file);
  const std::string* value = document ? document->Find(section, key) : nullptr;
  const std::string fallback = value ? std::string() : RepairUtf8(defaultValue);
  return std::string(CutToUtf16Units(value ? *value : fallback, maxChars));
}

std::shared_ptr<const IniDocument> LoadIniDocument(const std::filesystem::path& file) {
  return LoadDocument(file);
}

bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file) {
  std::lock_guard lock(writeMutex);
  const std::filesystem::path target = WriteTarget(file);

  IniText contents;
  mode_t mode = 0644;
  FileDescriptor fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() >= 0) {
    struct stat info {};
    std::string bytes;
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || !ReadAll(fd.get(), bytes))
      return false;
    mode = info.st_mode & 07777;
    contents = DecodeIniBytes(bytes);
  } else if (errno != ENOENT) {
    return false;
  }

  std::optional<std::string> edited = SetIniValue(contents.text, section, key, value);
  if (!edited) return false;
  contents.text = std::move(*edited);
  if (!ReplaceFile(target, EncodeIniText(contents), mode)) return false;
  // The stamp would change anyway; forgetting also covers a reused inode.
  ForgetDocument(file);
  ForgetDocument(target);
  return true;
}
