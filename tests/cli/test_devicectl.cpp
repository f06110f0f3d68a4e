#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "tests/util/temp_directory.h"
#include "util/single_instance.h"

namespace {

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs devicectl with its runtime directory (lock, database) in `dir`.
CommandResult Devicectl(const TempDirectory& dir, const std::string& args, const std::string& prefix = "") {
  const std::string command = "XDG_RUNTIME_DIR='" + dir.path().string() + "' " + prefix + " '" +
                              DEVICECTL_PATH + "' " + args + " >'" + (dir.path() / "out").string() +
                              "' 2>'" + (dir.path() / "err").string() + "'";
  CommandResult run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = dir.Read("out");
  run.err = dir.Read("err");
  return run;
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(Devicectl, BadUsageExitsWithTwoAndOneLine) {
  TempDirectory dir;
  for (const char* args : {"", "frobnicate", "adapters --bogus", "search --seconds", "search --seconds -1",
                           "search --seconds 1x", "reboot", "reboot 00:11:22:33:44", "reset zz:11:22:33:44:55",
                           "set-name 00:11:22:33:44:55", "rv-sync maybe 00:11:22:33:44:55",
                           "transparent-bridge on", "survey 00:11:22:33:44:55 00:11:22:33:44:56",
                           "set-ip 00:11:22:33:44:55 --mask 255.0.0.0",
                           "set-ip 00:11:22:33:44:55 00:11:22:33:44:56 --first 10.0.0.2 --mask 255.0.0.0",
                           "upgrade 00:11:22:33:44:55", "upgrade --file fw.Bin 00:11:22:33:44:55",
                           "reboot 00:11:22:33:44:55 00:11:22:33:44:55"}) {
    const CommandResult run = Devicectl(dir, args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(Lines(run.err), 1) << args << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << args;
  }
}

TEST(Devicectl, EveryCommandHasHelp) {
  TempDirectory dir;
  for (const char* args : {"--help", "adapters --help", "search --help", "set-name --help", "set-ip --help",
                           "reboot --help", "reset --help", "transparent-bridge --help", "rv-sync --help",
                           "survey --help", "upgrade --help"}) {
    const CommandResult run = Devicectl(dir, args);
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_NE(run.out.find("Usage: devicectl"), std::string::npos) << args;
  }
}

TEST(Devicectl, SetIpChecksTheRangeBeforeAnythingIsSent) {
  TempDirectory dir;
  struct Case {
    const char* args;
    const char* message;
  };
  const Case cases[] = {
      {"--first 10.77.1.9 --last 10.77.1.2 --mask 255.255.0.0", "The ip address is invalid!"},
      {"--first 10.77.1.2 --last 10.77.1.9 --mask 255.255.0.0 --gateway 10.78.0.1", ""},
      {"--first 10.77.1.2 --last 10.77.1.9 --mask 255.255.0.0 --dns1 10.77.300.1", ""},
      {"--first 10.77.1.2 --last 10.77.1.9 --mask 255.255.0.0 --gateway 10.77.1.2", ""},
  };
  for (const Case& c : cases) {
    const CommandResult run =
        Devicectl(dir, std::string("set-ip 00:11:22:33:44:55 00:11:22:33:44:56 ") + c.args);
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_EQ(Lines(run.err), 1) << c.args << ": " << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << c.args;
  }
}

TEST(Devicectl, RefusesToRunWhileTheProgramHoldsTheLock) {
  TempDirectory dir;
  setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  CSingleInstanceLock program;
  unsetenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(program.IsHeld());
  for (const char* args : {"adapters", "search --seconds 0"}) {
    const CommandResult run = Devicectl(dir, args);
    EXPECT_EQ(run.status, 1) << args;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("running"), std::string::npos) << run.err;
  }
  // The running program's database is left alone.
  EXPECT_FALSE(std::filesystem::exists(dir.path() / APP_PROGRAM_NAME / "data.db"));
}

TEST(Devicectl, SearchInAnEmptyNetworkListsNothing) {
  if (geteuid() != 0 || std::system("command -v unshare >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "needs root and unshare for a network namespace of its own";
  }
  TempDirectory dir;
  const CommandResult json = Devicectl(dir, "search --seconds 0 --json", "unshare --net");
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out, "[]\n");
  const CommandResult table = Devicectl(dir, "search --seconds 0", "unshare --net");
  EXPECT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("0 devices"), std::string::npos) << table.out;
}

}  // namespace
