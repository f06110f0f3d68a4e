// Start-up of the program until its main window is on screen, and its CPU use
// while it idles with the window hidden.
//   bench_startup [path to Application]
// Prints two figures, each the median of several runs:
//   startup_ms <n>      from process start to the main window shown
//   idle_cpu_percent <p> CPU of the idle program over 3 s
// The program reports the moment its window is shown when APP_REPORT_SHOWN
// names a file; the benchmark waits for that file.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string ProgramPath(int argc, char** argv) {
  if (argc > 1) return argv[1];
  std::string self(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
  self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return self.substr(0, self.rfind('/') + 1) + "Application";
}

// User plus system clock ticks of a process.
long CpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

struct Run {
  double startupMs = -1;
  double idleCpuPercent = -1;
};

Run RunOnce(const std::string& program, const std::string& runtimeDir, bool measureIdle) {
  const std::string shownFile = runtimeDir + "/shown";
  std::remove(shownFile.c_str());
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    setenv("APP_REPORT_SHOWN", shownFile.c_str(), 1);
    setenv("APP_HIDE_WHEN_SHOWN", "1", 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  Run run;
  struct stat info {};
  while (stat(shownFile.c_str(), &info) != 0) {
    if (Clock::now() - start > std::chrono::seconds(20) ||
        waitpid(child, nullptr, WNOHANG) == child) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      return run;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  run.startupMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (measureIdle) {
    std::this_thread::sleep_for(std::chrono::seconds(1));  // let the first refreshes pass
    const long before = CpuTicks(child);
    const auto idleStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const long after = CpuTicks(child);
    const double seconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    // A program that ended while hidden would idle at 0 % too.
    if (before >= 0 && after >= 0 && waitpid(child, nullptr, WNOHANG) == 0) {
      run.idleCpuPercent = 100.0 * (after - before) / sysconf(_SC_CLK_TCK) / seconds;
    }
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = ProgramPath(argc, argv);
  char pattern[] = "/tmp/bench_startup.XXXXXX";
  const char* runtimeDir = mkdtemp(pattern);
  if (!runtimeDir) return 1;
  std::vector<double> startup, idle;
  RunOnce(program, runtimeDir, false);  // warm the file cache
  for (int i = 0; i < 7; ++i) {
    const Run run = RunOnce(program, runtimeDir, i < 3);
    if (run.startupMs < 0) {
      std::fprintf(stderr, "the program did not show its window\n");
      return 1;
    }
    startup.push_back(run.startupMs);
    if (run.idleCpuPercent >= 0) idle.push_back(run.idleCpuPercent);
  }
  std::printf("startup_ms %.1f\n", Median(startup));
  if (idle.empty()) {
    std::fprintf(stderr, "the program ended while hidden\n");
    return 1;
  }
  std::printf("idle_cpu_percent %.2f\n", Median(idle));
  std::remove((std::string(runtimeDir) + "/shown").c_str());
  rmdir(runtimeDir);
  return 0;
}
