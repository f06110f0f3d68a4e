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
                           "search --seconds 1x"}) {
    const CommandResult run = Devicectl(dir, args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(Lines(run.err), 1) << args << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << args;
  }
}

TEST(Devicectl, EveryCommandHasHelp) {
  TempDirectory dir;
  for (const char* args : {"--help", "adapters --help", "search --help"}) {
    const CommandResult run = Devicectl(dir, args);
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_NE(run.out.find("Usage: devicectl"), std::string::npos) << args;
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
