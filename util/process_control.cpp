#include "util/process_control.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

constexpr auto kTermWait = std::chrono::milliseconds(1000);
constexpr auto kKillWait = std::chrono::milliseconds(1000);

// Found on the PATH the way a shell would, without running one.
std::optional<std::string> FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (dir.empty()) continue;
    std::string candidate = std::string(dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// Writes errno into the pipe and ends the child; used between fork and exec.
[[noreturn]] void ChildFailed(int pipeFd) {
  const int error = errno;
  (void)!::write(pipeFd, &error, sizeof error);
  ::_exit(127);
}

struct ProcessInfo {
  bool valid = false;
  uid_t realUid = 0;
  char state = '?';
};

ProcessInfo ReadStatus(pid_t pid) {
  ProcessInfo info;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("State:", 0) == 0) {
      const std::size_t at = line.find_first_not_of(" \t", 6);
      if (at != std::string::npos) info.state = line[at];
    } else if (line.rfind("Uid:", 0) == 0) {
      info.realUid = static_cast<uid_t>(std::strtoul(line.c_str() + 4, nullptr, 10));
      info.valid = true;
    }
  }
  return info;
}

std::string ExecutableName(pid_t pid) {
  char target[4096];
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
  if (length <= 0) return {};
  std::string path(target, static_cast<std::size_t>(length));
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.size() > kDeleted.size() && path.ends_with(kDeleted)) {
    path.resize(path.size() - kDeleted.size());
  }
  return path.substr(path.rfind('/') + 1);
}

// Gone, or a zombie: reaps it when it is our own child.
bool HasEnded(pid_t pid) {
  (void)::waitpid(pid, nullptr, WNOHANG);
  const ProcessInfo info = ReadStatus(pid);
  return !info.valid || info.state == 'Z' || info.state == 'X';
}

bool WaitForEnd(pid_t pid, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!HasEnded(pid)) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

bool EndProcess(pid_t pid) {
  if (::kill(pid, SIGTERM) != 0) return errno == ESRCH;
  if (WaitForEnd(pid, kTermWait)) return true;
  if (::kill(pid, SIGKILL) != 0) return errno == ESRCH;
  return WaitForEnd(pid, kKillWait);
}

}  // namespace

std::vector<std::string> SplitParameters(std::string_view parameters) {
  std::vector<std::string> out;
  std::string current;
  bool inWord = false;
  bool quoted = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord) out.push_back(std::move(current));
      current.clear();
      inWord = false;
    } else {
      current.push_back(c);
      inWord = true;
    }
  }
  if (inWord) out.push_back(std::move(current));
  return out;
}

bool HasBindServiceCapability(const std::filesystem::path& program) {
  vfs_ns_cap_data caps{};
  const ssize_t size = ::getxattr(program.c_str(), "security.capability", &caps, sizeof caps);
  if (size < static_cast<ssize_t>(XATTR_CAPS_SZ_1)) return false;
  const uint32_t magic = caps.magic_etc;
  const bool effective = (magic & VFS_CAP_FLAGS_EFFECTIVE) != 0;
  const uint32_t permitted = caps.data[0].permitted;
  return effective && (permitted & (1u << CAP_NET_BIND_SERVICE)) != 0;
}

bool RunProgram(const std::filesystem::path& program, std::string_view parameters, bool wait) {
  std::vector<std::string> args;
  bool throughPkexec = false;
  if (::geteuid() != 0 && !HasBindServiceCapability(program)) {
    const auto pkexec = FindOnPath("pkexec");
    if (!pkexec) return false;
    args.push_back(*pkexec);
    // pkexec wants an absolute program path.
    args.push_back(std::filesystem::absolute(program).string());
    throughPkexec = true;
  } else {
    args.push_back(std::filesystem::absolute(program).string());
  }
  for (std::string& parameter : SplitParameters(parameters)) args.push_back(std::move(parameter));
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string workingDir = program.parent_path().string();

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  // Without wait a second fork hands the program to init, so that no zombie
  // is left behind when it ends.
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    if (!wait) {
      const pid_t grandchild = ::fork();
      if (grandchild < 0) ChildFailed(report[1]);
      if (grandchild > 0) ::_exit(0);
    }
    if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) ChildFailed(report[1]);
    ::execv(argv[0], argv.data());
    ChildFailed(report[1]);
  }
  ::close(report[1]);
  int childError = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);

  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (got > 0) return false;  // chdir or exec failed
  if (!wait) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (throughPkexec && WIFEXITED(status)) {
    // pkexec: 126 when the user dismissed the dialog, 127 when authentication failed.
    const int code = WEXITSTATUS(status);
    return code != 126 && code != 127;
  }
  return true;
}

std::optional<pid_t> FindProcessByName(std::string_view executableName) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return std::nullopt;
  const uid_t me = ::getuid();
  const pid_t self = ::getpid();
  std::optional<pid_t> found;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || pid <= 0 || pid == self) continue;
    const ProcessInfo info = ReadStatus(static_cast<pid_t>(pid));
    if (!info.valid || info.realUid != me || info.state == 'Z' || info.state == 'X') continue;
    if (ExecutableName(static_cast<pid_t>(pid)) == executableName) {
      found = static_cast<pid_t>(pid);
      break;
    }
  }
  ::closedir(proc);
  return found;
}

bool KillProcessByName(std::string_view executableName) {
  while (const auto pid = FindProcessByName(executableName)) {
    if (!EndProcess(*pid)) return false;
  }
  return true;
}
