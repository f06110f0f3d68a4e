#pragma once
// CDeviceEngine: the one object that talks to the devices. It owns the four
// sockets (through its datagram transport), three receive threads with their
// bounded queues and workers, the ageing and retransmission threads, the
// online list of devices, the pending list of commands waiting for their
// acknowledgement, and the local adapter addresses. Results reach the rest of
// the program only through the device store, which the workers update.
//
// Ownership: the engine keeps a reference to the store its creator gives it
// (the store must outlive the engine) and owns its transport, clock and
// adapter source. Instance() builds the process's engine over
// CSqlManagement::Instance() with the real sockets, the steady clock and
// libHostNics.so from the program's directory.
//
// Threads: every public member may be called from any thread once the engine
// is built. Start and Stop are serialised with each other; the engine is
// started once (a stopped engine has released its adapter library). The
// destructor stops a running engine.
//
// Simulator and end-to-end tests build their own engine:
//   CSqlManagement store(dir / "data.db");
//   CDeviceEngine engine(store);          // real sockets, HOSTNICS_INCLUDE=veth0
//   engine.Start(2000, 3);
//   engine.ReleaseAnnounced(); engine.DropAnnounced(); engine.PurgeStale();
//   engine.SearchDevices();               // then poll the store or OnlineDevices()
//   engine.Stop();                        // sends release to every online device
// Unit tests pass EngineOptions with a fake transport, a manual clock and a
// made-up adapter source, or feed datagrams through ProcessDatagram.

#include <netinet/in.h>

#include <array>
#include <map>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "hostnics/host_nics_info.h"
#include "protocol/adapter_address_list.h"
#include "protocol/adapter_source.h"
#include "protocol/datagram.h"
#include "protocol/datagram_transport.h"
#include "protocol/device_entry.h"
#include "protocol/engine_clock.h"
#include "protocol/online_list.h"
#include "protocol/pending_list.h"
#include "protocol/receive_queue.h"
#include "store/ap_info_stu.h"

class CSqlManagement;

inline constexpr int kDefaultRetransmissionInterval = 2000;  // milliseconds
inline constexpr int kDefaultRetransmissionMax = 3;
// Shorter intervals from Setting.ini are raised to this, so a zero never
// makes the retransmission thread spin.
inline constexpr int kMinRetransmissionInterval = 10;

struct EngineOptions {
  std::unique_ptr<CDatagramTransport> transport;  // null: CUdpDatagramTransport
  std::shared_ptr<CEngineClock> clock;            // null: CSteadyClock
  std::unique_ptr<CAdapterSource> adapters;       // null: CHostNicsLibrary
  CEngineClock::Duration ageing_period{10000};
  std::size_t queue_capacity = kDefaultQueueCapacity;    // records per receive queue
  std::size_t online_capacity = kDefaultOnlineCapacity;  // devices in the online list
};

// Per receiving socket (announcement, keepalive, reply, in that order).
struct EngineCounters {
  std::array<std::size_t, 3> received{};  // datagrams read from the socket
  std::array<std::size_t, 3> accepted{};  // passed the acceptance rules
  std::array<std::size_t, 3> dropped{};   // accepted but the queue was full
  std::size_t reports_stored = 0;
};

class CDeviceEngine {
 public:
  static CDeviceEngine& Instance();

  explicit CDeviceEngine(CSqlManagement& store, EngineOptions options = {});
  ~CDeviceEngine();
  CDeviceEngine(const CDeviceEngine&) = delete;
  CDeviceEngine& operator=(const CDeviceEngine&) = delete;

  // Opens the sockets, starts the receive threads (9785, 9787, 9788), their
  // workers, the ageing and the retransmission thread, then reads the
  // adapters. False, with everything started so far stopped again, when a
  // socket or thread cannot be made, or when the engine was started before.
  bool Start(int retransmissionInterval = kDefaultRetransmissionInterval,
             int retransmissionMax = kDefaultRetransmissionMax);
  // Wakes and joins every thread, closes the sockets, sends release to every
  // device of the online list, unloads the adapter library and empties the
  // lists. Returns promptly; safe to call more than once.
  void Stop();
  bool IsRunning() const;

  // Sends one message to one device: to the devices' multicast group from the
  // first local address whose subnet holds `ip`, with `mac` in the header.
  // False (nothing sent, nothing pending) when no local address holds the
  // device, the payload exceeds 1456 bytes or the send fails. With
  // `retransmit`, types other than discover, site_survey, keepalive and
  // release wait in the pending list for their acknowledgement.
  bool SendToDevice(const std::string& ip, uint16_t type, std::span<const uint8_t> payload,
                    const std::string& mac, bool retransmit);
  // Sends discover to the directed broadcast address of every local subnet,
  // or to 255.255.255.255 when there is none. True when every send went out.
  bool SearchDevices();
  // Reads the adapters from the library, keeps those with a usable first
  // address, merges their addresses into the adapter address list and
  // returns them (with `next` null).
  std::vector<HostNicsInfo> RefreshAdapters();

  // Online-list operations of the Status page.
  void ReleaseAnnounced();  // release to every announced device
  void DropAnnounced();     // forgets every announced device
  void PurgeStale();        // deletes the stored rows of devices not online
  // Records (ap_status 10) of the announced devices whose IP text, MAC text
  // or version contains `filter` (every one when it is empty).
  std::vector<ap_info_stu> CopyAnnounced(const std::string& filter = {}) const;

  // Called just before every set_ip: the device's reported entry at
  // `currentIp` follows it to `newIp` once the device answers from there.
  void FollowIpChange(const std::string& mac, const std::string& currentIp,
                      const std::string& newIp);
  // Set when the last page of a site survey arrived; cleared when a
  // site_survey request is sent.
  bool ScanComplete() const;
  // True when some local address's subnet holds `ip`, so a send can go out.
  bool Reaches(const std::string& ip) const;
  // How many commands of `type` to `mac` an answer has acknowledged so far
  // (answers that found no pending command do not count).
  std::size_t Acknowledgements(const std::string& mac, uint16_t type) const;

  // Views for tests, tools and benchmarks (copies).
  std::vector<DeviceEntry> OnlineDevices() const;
  std::vector<PendingCommand> PendingCommands() const;
  std::vector<AdapterAddress> AdapterAddresses() const;
  EngineCounters Counters() const;

  // Applies the acceptance rules of `socket` to one datagram and, when it is
  // accepted, runs its handler on the calling thread as the socket's worker
  // would. For fuzzers and tests; the engine need not be started.
  bool ProcessDatagram(EngineSocket socket, std::span<const uint8_t> datagram,
                       const sockaddr_in& sender);
  // One pass of the ageing (normally every 10 s) or retransmission thread.
  void RunAgeingPass();
  void RunRetransmissionPass();

 private:
  struct Receiver;

  void ReceiveLoop(Receiver& receiver);
  void WorkLoop(Receiver& receiver);
  void Handle(EngineSocket socket, const QueueRecord& record);
  void OnAnnouncement(const QueueRecord& record);
  void OnKeepalive(const QueueRecord& record);
  void Dispatch(const QueueRecord& record);
  void OnReport(const QueueRecord& record);
  void OnCommandAnswer(const QueueRecord& record, const DatagramHeader& header);
  void OnScanPage(const QueueRecord& record, const DatagramHeader& header);
  void StopLocked();

  CSqlManagement& store_;
  std::unique_ptr<CDatagramTransport> transport_;
  std::shared_ptr<CEngineClock> clock_;
  std::unique_ptr<CAdapterSource> adapters_;
  CEngineClock::Duration ageing_period_;

  COnlineList online_;
  CPendingList pending_;
  CAdapterAddressList addresses_;
  std::array<std::unique_ptr<Receiver>, 3> receivers_;
  std::atomic<std::size_t> reports_stored_{0};
  std::atomic<bool> scan_complete_{false};
  mutable std::mutex acknowledgements_mutex_;
  std::map<std::pair<std::string, uint16_t>, std::size_t> acknowledgements_;

  std::atomic<int> retransmission_interval_{kDefaultRetransmissionInterval};
  std::atomic<int> retransmission_max_{kDefaultRetransmissionMax};

  mutable std::mutex lifecycle_mutex_;
  bool started_ = false;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopping_{false};
  std::vector<std::jthread> threads_;
};
