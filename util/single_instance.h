#pragma once
// CSingleInstanceLock: one copy of the program (or devicectl) per user at a
// time, because two processes on the device ports take each other's
// datagrams. The lock is an exclusive flock on a file named after the lock in
// the per-user runtime directory ($XDG_RUNTIME_DIR, else a private folder
// under the temporary directory); the kernel releases it when the process
// ends, however it ends.
//
// Construct once on the main thread and keep the object for the process's
// lifetime; it is not copyable.

#include <filesystem>
#include <string_view>

inline constexpr std::string_view kSingleInstanceName = "Zorva_Linvoro";

class CSingleInstanceLock {
 public:
  enum class State { kHeld, kHeldElsewhere, kFailed };

  static std::filesystem::path LockPath(std::string_view name = kSingleInstanceName);

  // Tries once, without waiting.
  explicit CSingleInstanceLock(std::string_view name = kSingleInstanceName);
  ~CSingleInstanceLock();
  CSingleInstanceLock(const CSingleInstanceLock&) = delete;
  CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

  State state() const { return state_; }
  bool IsHeld() const { return state_ == State::kHeld; }

 private:
  int fd_ = -1;
  State state_ = State::kFailed;
};
