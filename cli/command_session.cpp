#include "cli/command_session.h"

#include <algorithm>
#include <cctype>
#include <iomanip>
#include <thread>

#include "cli/devicectl_commands.h"
#include "settings/app_settings.h"
#include "store/device_text.h"
#include "store/sql_management.h"
#include "util/single_instance.h"

namespace {

constexpr auto kSearchRepeat = std::chrono::seconds(3);
constexpr auto kAnswerSlack = std::chrono::milliseconds(500);

bool IsStored(CSqlManagement& store, const std::string& mac) {
  ap_info_stu device{};
  return store.GetDevice(mac, device) && device.mac[0] != '\0';
}

}  // namespace

bool TakeInstanceLock(std::ostream& err) {
  // Static, so that it outlives the engine and the store, which go at exit.
  static const CSingleInstanceLock lock;
  switch (lock.state()) {
    case CSingleInstanceLock::State::kHeld:
      return true;
    case CSingleInstanceLock::State::kHeldElsewhere:
      err << "devicectl: the program or another devicectl is running; stop it first\n";
      return false;
    case CSingleInstanceLock::State::kFailed:
      break;
  }
  err << "devicectl: cannot create the lock file " << CSingleInstanceLock::LockPath() << "\n";
  return false;
}

std::optional<std::string> NormalisedMac(const std::string& text) {
  if (text.size() != 17) return std::nullopt;
  std::string mac;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (i % 3 == 2) {
      if (c != ':' && c != '-') return std::nullopt;
      mac += ':';
    } else {
      if (!std::isxdigit(c)) return std::nullopt;
      mac += static_cast<char>(std::tolower(c));
    }
  }
  return mac;
}

CCommandSession::CCommandSession(std::ostream& out, std::ostream& err)
    : out_(out),
      err_(err),
      engine_(CDeviceEngine::Instance()),
      store_(CSqlManagement::Instance()) {}

CCommandSession::~CCommandSession() {
  if (started_) engine_.Stop();
}

bool CCommandSession::Start() {
  if (!TakeInstanceLock(err_)) return false;
  const AppSettings settings = ReadAppSettings();
  if (!engine_.Start(settings.retransmission_interval, settings.retransmission_max)) {
    err_ << "devicectl: cannot open the device ports 9785 to 9788 (is another program using "
            "them?)\n";
    return false;
  }
  interval_ = std::max(settings.retransmission_interval, kMinRetransmissionInterval);
  retries_ = std::max(settings.retransmission_max, 0);
  started_ = true;
  return true;
}

void CCommandSession::SearchFor(const std::vector<std::string>& macs, std::chrono::seconds limit) {
  engine_.ReleaseAnnounced();
  engine_.DropAnnounced();
  engine_.PurgeStale();
  engine_.SearchDevices();
  const auto start = std::chrono::steady_clock::now();
  auto nextSearch = start + kSearchRepeat;
  const auto allStored = [&] {
    return std::all_of(macs.begin(), macs.end(),
                       [&](const std::string& mac) { return IsStored(store_, mac); });
  };
  while (!allStored() && std::chrono::steady_clock::now() - start < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (std::chrono::steady_clock::now() >= nextSearch) {
      engine_.SearchDevices();
      nextSearch += kSearchRepeat;
    }
  }
}

std::vector<CommandTarget> CCommandSession::Resolve(const std::vector<std::string>& macs) {
  std::vector<CommandTarget> targets;
  for (const std::string& mac : macs) {
    CommandTarget target;
    target.mac = mac;
    if (!store_.GetDevice(mac, target.device) || target.device.mac[0] == '\0') {
      out_ << std::left << std::setw(18) << mac << "  " << std::setw(15) << "-"
           << "  unknown device, nothing sent\n";
      ++failures_;
      continue;
    }
    target.ip = IpText(target.device.ip);
    if (!engine_.Reaches(target.ip)) {
      out_ << std::left << std::setw(18) << mac << "  " << std::setw(15) << target.ip
           << "  outside every local subnet, nothing sent\n";
      ++failures_;
      continue;
    }
    targets.push_back(target);
  }
  return targets;
}

std::chrono::milliseconds CCommandSession::AnswerTime() const {
  return std::chrono::milliseconds(interval_) * (retries_ + 1) + kAnswerSlack;
}

bool CCommandSession::WaitUntil(const std::function<bool()>& done,
                                std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void CCommandSession::PrintResult(const CommandTarget& target, const std::string& note) {
  out_ << std::left << std::setw(18) << target.mac << "  " << std::setw(15) << target.ip << "  "
       << std::setw(16) << StatusText(store_.GetDeviceStatus(target.mac)) << "  " << note << "\n";
}

int CCommandSession::ExitStatus() const { return failures_ > 0 ? kExitFailure : kExitSuccess; }
