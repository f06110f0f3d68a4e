#pragma once
// What every device command of devicectl shares: the instance lock, the
// engine started with the program's retransmission settings, a search until
// the named devices are known, the lookup of each named device (unknown, or
// outside every local subnet, and so not sent to), and waiting for answers.
//
// Owns nothing but references to the process's engine and store; stops the
// engine when it goes. Used from the command's own thread only.

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/device_engine.h"
#include "store/ap_info_stu.h"

class CSqlManagement;

// Takes the lock that keeps a second program or devicectl off the device
// ports; prints why and returns false when it cannot be had.
bool TakeInstanceLock(std::ostream& err);

// A MAC text as the engine keys devices ("00:11:22:aa:bb:cc"), or nothing
// when `text` is not a MAC address.
std::optional<std::string> NormalisedMac(const std::string& text);

struct CommandTarget {
  std::string mac;
  std::string ip;  // as stored
  ap_info_stu device{};
};

class CCommandSession {
 public:
  CCommandSession(std::ostream& out, std::ostream& err);
  ~CCommandSession();
  CCommandSession(const CCommandSession&) = delete;
  CCommandSession& operator=(const CCommandSession&) = delete;

  // Takes the lock and starts the engine; false, with the reason printed,
  // when either fails.
  bool Start();
  // Searches as the Status page does, again every 3 seconds, until every one
  // of `macs` is stored or `limit` has passed.
  void SearchFor(const std::vector<std::string>& macs, std::chrono::seconds limit);
  // The named devices that can be sent to, in the order given. Every other
  // one is reported on `out` and counted as failed.
  std::vector<CommandTarget> Resolve(const std::vector<std::string>& macs);

  // How long a command may wait for its answer: its first send, every
  // retry, and a little for the answer to be handled.
  std::chrono::milliseconds AnswerTime() const;
  // Polls `done` every 20 ms until it holds or `limit` has passed.
  static bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

  // One line for a device: MAC, address, stored status and a note.
  void PrintResult(const CommandTarget& target, const std::string& note);
  void CountFailure() { ++failures_; }
  int ExitStatus() const;

  CDeviceEngine& engine() { return engine_; }
  CSqlManagement& store() { return store_; }
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  CDeviceEngine& engine_;
  CSqlManagement& store_;
  int interval_ = kDefaultRetransmissionInterval;
  int retries_ = kDefaultRetransmissionMax;
  bool started_ = false;
  int failures_ = 0;
};
