#include "util/process_control.h"

#include <linux/capability.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "tests/util/temp_directory.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(SplitParameters, SplitsAtBlanksAndKeepsQuotedBlanks) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitParameters(""), V{});
  EXPECT_EQ(SplitParameters("  a  b\t c "), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitParameters("-c \"my file.ini\" x"), (V{"-c", "my file.ini", "x"}));
  EXPECT_EQ(SplitParameters("\"\""), V{""});
}

// A script that records its working directory and arguments beside itself.
fs::path WriteRecorder(const TempDirectory& temp, const std::string& extra = "") {
  const fs::path script = temp.Write("bin/record.sh",
                                     "#!/bin/sh\npwd > record.txt\n"
                                     "for a in \"$@\"; do echo \"[$a]\" >> "
                                     "record.txt; done\n" +
                                         extra);
  fs::permissions(script, fs::perms::owner_all);
  return script;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST(RunProgram, RunsInTheProgramsFolderWithItsParameters) {
  if (::geteuid() != 0) GTEST_SKIP() << "without root RunProgram asks pkexec for rights";
  TempDirectory temp;
  const fs::path script = WriteRecorder(temp);
  ASSERT_TRUE(RunProgram(script, "one \"two words\"", true));
  EXPECT_EQ(temp.Read("bin/record.txt"),
            fs::canonical(temp.path() / "bin").string() + "\n[one]\n[two words]\n");
}

TEST(RunProgram, WithoutWaitReturnsAtOnceAndLeavesNoZombie) {
  if (::geteuid() != 0) GTEST_SKIP() << "without root RunProgram asks pkexec for rights";
  TempDirectory temp;
  const fs::path script = WriteRecorder(temp, "sleep 0.3\necho done >> record.txt\n");
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(RunProgram(script, "", false));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 250ms);
  EXPECT_TRUE(WaitFor([&] { return temp.Read("bin/record.txt").ends_with("done\n"); }, 5s));
  // The program was handed to init: nothing is left for this process to reap.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(RunProgram, AMissingProgramIsFalse) {
  if (::geteuid() != 0) GTEST_SKIP() << "without root RunProgram asks pkexec for rights";
  TempDirectory temp;
  EXPECT_FALSE(RunProgram(temp.path() / "none", "", true));
  EXPECT_FALSE(RunProgram(temp.path() / "none", "", false));
}

TEST(HasBindServiceCapability, ReadsTheFileCapability) {
  TempDirectory temp;
  const fs::path file = temp.Write("FileServer", "");
  EXPECT_FALSE(HasBindServiceCapability(file));
  vfs_cap_data caps{};
  caps.magic_etc = VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE;
  caps.data[0].permitted = 1u << CAP_NET_BIND_SERVICE;
  if (::setxattr(file.c_str(), "security.capability", &caps, XATTR_CAPS_SZ_2, 0) != 0) {
    GTEST_SKIP() << "cannot set file capabilities here: " << std::strerror(errno);
  }
  EXPECT_TRUE(HasBindServiceCapability(file));
  caps.magic_etc = VFS_CAP_REVISION_2;  // permitted but not effective
  ASSERT_EQ(::setxattr(file.c_str(), "security.capability", &caps, XATTR_CAPS_SZ_2, 0), 0);
  EXPECT_FALSE(HasBindServiceCapability(file));
}

// Copies of system programs under names no other process uses.
class ProcessByNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string suffix = std::to_string(::getpid());
    sleeper_ = temp_.path() / ("pc-sleep-" + suffix);
    stubborn_ = temp_.path() / ("pc-stubborn-" + suffix);
    fs::copy_file("/bin/sleep", sleeper_);
    fs::copy_file("/bin/sh", stubborn_);
    fs::permissions(temp_.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  }
  void TearDown() override {
    for (pid_t pid : children_) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }

  pid_t Start(const fs::path& program, std::vector<std::string> args, uid_t asUser = 0) {
    args.insert(args.begin(), program.string());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const bool switchUser = asUser != 0;
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (switchUser && (::setgid(asUser) != 0 || ::setuid(asUser) != 0)) ::_exit(126);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    children_.push_back(pid);
    // Until exec has happened the child still carries the test's own name.
    WaitFor([&] { return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe") == program; },
            2s);
    return pid;
  }

  static bool Alive(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == 0; }

  TempDirectory temp_;
  fs::path sleeper_;
  fs::path stubborn_;
  std::vector<pid_t> children_;
};

TEST_F(ProcessByNameTest, FindsByExactNameOnly) {
  const std::string name = sleeper_.filename().string();
  EXPECT_FALSE(FindProcessByName(name));
  const pid_t pid = Start(sleeper_, {"30"});
  EXPECT_EQ(FindProcessByName(name), pid);
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_FALSE(FindProcessByName(upper));
  EXPECT_FALSE(FindProcessByName(name.substr(0, name.size() - 1)));
}

TEST_F(ProcessByNameTest, KillEndsEveryCopyOneAfterTheOther) {
  const std::string name = sleeper_.filename().string();
  const std::vector<pid_t> pids = {Start(sleeper_, {"30"}), Start(sleeper_, {"30"}),
                                   Start(sleeper_, {"30"})};
  EXPECT_TRUE(KillProcessByName(name));
  EXPECT_FALSE(FindProcessByName(name));
  for (pid_t pid : pids) EXPECT_FALSE(Alive(pid)) << pid;
  // With none running it returns at once.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(KillProcessByName(name));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
}

TEST_F(ProcessByNameTest, AProgramThatIgnoresSigtermIsKilled) {
  const pid_t pid = Start(stubborn_, {"-c", "trap '' TERM; while :; do sleep 1; done"});
  EXPECT_TRUE(KillProcessByName(stubborn_.filename().string()));
  EXPECT_FALSE(Alive(pid));
}

TEST_F(ProcessByNameTest, ProcessesOfOtherUsersAreLeftAlone) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to start a process as another user";
  const pid_t pid = Start(sleeper_, {"30"}, 65534);
  ASSERT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe"), sleeper_);
  EXPECT_FALSE(FindProcessByName(sleeper_.filename().string()));
  EXPECT_TRUE(KillProcessByName(sleeper_.filename().string()));
  EXPECT_TRUE(Alive(pid));
}

}  // namespace
