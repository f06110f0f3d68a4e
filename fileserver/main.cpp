// FileServer: serves the firmware folder named in FileServer.ini to the devices
// over TFTP. Usage: FileServer [settings file]; by default FileServer.ini
// beside the program.

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fileserver/server_config.h"
#include "fileserver/tftp_server.h"
#include "util/program_paths.h"

namespace {

// Started through pkexec, the server runs as root only to bind its port; it
// then goes back to the user who started it, so that this user's program can
// end it again and the files are read with that user's rights.
bool DropPkexecPrivileges(std::string& error) {
  const char* uidText = std::getenv("PKEXEC_UID");
  if (::geteuid() != 0 || uidText == nullptr) return true;
  uid_t uid = 0;
  const char* end = uidText + std::strlen(uidText);
  if (std::from_chars(uidText, end, uid).ptr != end || uid == 0) return true;
  const passwd* user = ::getpwuid(uid);
  const gid_t gid = user != nullptr ? user->pw_gid : static_cast<gid_t>(uid);
  if ((user != nullptr ? ::initgroups(user->pw_name, gid) : ::setgroups(0, nullptr)) != 0 ||
      ::setgid(gid) != 0 || ::setuid(uid) != 0) {
    error = std::string("cannot return to user ") + uidText + ": " + std::strerror(errno);
    return false;
  }
  ::prctl(PR_SET_DUMPABLE, 1);
  return true;
}

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "FileServer: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) return Fail("usage: FileServer [settings file]", 2);
  const std::filesystem::path iniFile =
      argc == 2 ? std::filesystem::path(argv[1])
                : std::filesystem::path(GetExeDirectory() + "FileServer.ini");
  const ConfigResult config = LoadServerConfig(iniFile);
  if (!config.ok) return Fail(config.error, 2);

  UniqueFd directory(::open(config.config.directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!directory.Valid()) {
    return Fail(
        "cannot open the folder " + config.config.directory.string() + ": " + std::strerror(errno),
        2);
  }

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGHUP);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  UniqueFd stop(::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK));
  if (!stop.Valid()) return Fail(std::string("cannot watch signals: ") + std::strerror(errno), 1);

  std::string error;
  auto server = TftpServer::Create(std::move(directory), config.config.address, config.config.port,
                                   Transfer::Timing{}, error);
  if (!server) return Fail(error, 1);
  if (!DropPkexecPrivileges(error)) return Fail(error, 1);
  return server->Run(stop.Get()) ? 0 : 1;
}
