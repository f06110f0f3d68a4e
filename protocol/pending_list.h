#pragma once
// CPendingList: commands sent to devices that wait for their acknowledgement,
// in the order sent. A command is resent once per retransmission pass until
// its retries are used up, and forgotten at the pass after its last resend.
// The same command sent twice makes two entries; one acknowledgement removes
// the older.
//
// Thread safety: every member takes the list's lock for its whole run. Pass
// holds it while it calls `resend`, which may take the adapter-list lock but
// must not call back into this list.

#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

struct PendingCommand {
  int retries_left = 0;
  std::string ip;
  uint16_t type = 0;
  std::vector<uint8_t> payload;
  std::string mac;
};

class CPendingList {
 public:
  void Add(PendingCommand command);
  // Removes the first command sent to this address and MAC with this type.
  bool Acknowledge(const std::string& ip, const std::string& mac, uint16_t type);
  // One retransmission pass: commands with retries left are resent through
  // `resend` and lose one retry; the others are removed.
  void Pass(const std::function<void(const PendingCommand&)>& resend);
  void Clear();

  std::size_t Size() const;
  std::vector<PendingCommand> Snapshot() const;

 private:
  using Commands = std::list<PendingCommand>;
  static std::string KeyOf(const std::string& ip, const std::string& mac, uint16_t type);
  void EraseLocked(Commands::iterator at);

  mutable std::mutex mutex_;
  Commands commands_;
  // The commands of each address, MAC and type in the order sent, so that an
  // acknowledgement finds the oldest without walking the whole list.
  std::unordered_map<std::string, std::deque<Commands::iterator>> by_key_;
};
