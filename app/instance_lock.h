#pragma once
// CInstanceLock: one running copy per user. The lock is an exclusive flock on
// a file named after the lock in the user's runtime directory, released by
// the kernel when the process ends, however it ends.
//
// Not thread-safe; taken once at start-up.

#include <filesystem>
#include <string>

class CInstanceLock {
 public:
  CInstanceLock() = default;
  ~CInstanceLock();
  CInstanceLock(const CInstanceLock&) = delete;
  CInstanceLock& operator=(const CInstanceLock&) = delete;

  // False when another process (or another lock object) holds it, or the
  // lock file cannot be made.
  bool Acquire(const std::string& name, const std::filesystem::path& directory = RuntimeDirectory());
  bool IsHeld() const { return fd_ >= 0; }

  // $XDG_RUNTIME_DIR, else a folder of this user's own under the temporary
  // directory.
  static std::filesystem::path RuntimeDirectory();

 private:
  int fd_ = -1;
};

inline constexpr const char* kInstanceLockName = "Zorva_Linvoro";
