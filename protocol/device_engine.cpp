#include "protocol/device_engine.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <unordered_set>

#include "protocol/announcement_handler.h"
#include "protocol/command_answer_handler.h"
#include "protocol/datagram.h"
#include "protocol/host_nics_library.h"
#include "protocol/keepalive_handler.h"
#include "protocol/record_fields.h"
#include "protocol/report_handler.h"
#include "protocol/subnet.h"
#include "protocol/udp_datagram_transport.h"
#include "store/device_text.h"
#include "store/sql_management.h"

struct CDeviceEngine::Receiver {
  Receiver(EngineSocket s, uint16_t p, std::size_t capacity) : socket(s), port(p), queue(capacity) {}
  EngineSocket socket;
  uint16_t port;  // the protocol port whose acceptance rule applies
  CReceiveQueue queue;
  std::atomic<std::size_t> received{0};
  std::atomic<std::size_t> accepted{0};
};

namespace {

constexpr const char* kLimitedBroadcast = "255.255.255.255";

uint16_t AcceptancePort(EngineSocket socket) {
  switch (socket) {
    case EngineSocket::kAnnounce: return kAnnouncePort;
    case EngineSocket::kKeepalive: return kKeepalivePort;
    case EngineSocket::kReply: return kReplyPort;
    case EngineSocket::kSearch: break;
  }
  return 0;
}

bool IsUsableAdapter(const HostNicsInfo& adapter) {
  return adapter.valid == 1 && adapter.address_count > 0 &&
         AreaText(adapter.addresses[0].ip, sizeof adapter.addresses[0].ip) != "0.0.0.0";
}

std::string AreaString(const TextArea& area) {
  const std::size_t length = std::min<std::size_t>(area[32], 32);
  const auto* text = reinterpret_cast<const char*>(area.data());
  return {text, strnlen(text, length)};
}

void CopyArea(const TextArea& area, char* text, uint8_t& length) {
  std::memcpy(text, area.data(), 32);
  length = std::min<uint8_t>(area[32], 32);
}

}  // namespace

CDeviceEngine& CDeviceEngine::Instance() {
  // The store is built first, so it is destroyed after the engine.
  static CDeviceEngine engine(CSqlManagement::Instance());
  return engine;
}

CDeviceEngine::CDeviceEngine(CSqlManagement& store, EngineOptions options)
    : store_(store),
      transport_(std::move(options.transport)),
      clock_(std::move(options.clock)),
      adapters_(std::move(options.adapters)),
      ageing_period_(options.ageing_period),
      online_(options.online_capacity) {
  if (!transport_) transport_ = std::make_unique<CUdpDatagramTransport>();
  if (!clock_) clock_ = std::make_shared<CSteadyClock>();
  if (!adapters_) adapters_ = std::make_unique<CHostNicsLibrary>();
  receivers_[0] = std::make_unique<Receiver>(EngineSocket::kAnnounce, kAnnouncePort, options.queue_capacity);
  receivers_[1] = std::make_unique<Receiver>(EngineSocket::kKeepalive, kKeepalivePort, options.queue_capacity);
  receivers_[2] = std::make_unique<Receiver>(EngineSocket::kReply, kReplyPort, options.queue_capacity);
}

CDeviceEngine::~CDeviceEngine() { Stop(); }

bool CDeviceEngine::Start(int retransmissionInterval, int retransmissionMax) {
  std::lock_guard lock(lifecycle_mutex_);
  if (started_) return false;
  started_ = true;
  retransmission_interval_ = std::max(retransmissionInterval, kMinRetransmissionInterval);
  retransmission_max_ = std::max(retransmissionMax, 0);
  stopping_ = false;
  if (!transport_->Open()) {
    transport_->Close();
    return false;
  }
  running_ = true;
  try {
    for (auto& receiver : receivers_) {
      threads_.emplace_back([this, r = receiver.get()] { ReceiveLoop(*r); });
    }
    for (auto& receiver : receivers_) {
      threads_.emplace_back([this, r = receiver.get()] { WorkLoop(*r); });
    }
    threads_.emplace_back([this](std::stop_token stop) {
      while (clock_->SleepFor(ageing_period_, stop)) RunAgeingPass();
    });
    threads_.emplace_back([this](std::stop_token stop) {
      const CEngineClock::Duration period(retransmission_interval_.load());
      while (clock_->SleepFor(period, stop)) RunRetransmissionPass();
    });
  } catch (const std::system_error&) {
    StopLocked();
    return false;
  }
  RefreshAdapters();
  return true;
}

void CDeviceEngine::Stop() {
  std::lock_guard lock(lifecycle_mutex_);
  StopLocked();
}

void CDeviceEngine::StopLocked() {
  if (!running_) return;
  stopping_ = true;
  for (auto& thread : threads_) thread.request_stop();
  transport_->Shutdown();
  for (auto& receiver : receivers_) receiver->queue.Stop();
  for (auto& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  threads_.clear();
  transport_->Close();
  // The per-device sends use their own sockets, so release still goes out.
  for (const DeviceAddress& device : online_.Addresses()) {
    SendToDevice(device.ip, kMsgRelease, {}, device.mac, false);
  }
  adapters_->Unload();
  online_.Clear();
  pending_.Clear();
  addresses_.Clear();
  for (auto& receiver : receivers_) receiver->queue.Reset();
  running_ = false;
}

bool CDeviceEngine::IsRunning() const { return running_; }

void CDeviceEngine::ReceiveLoop(Receiver& receiver) {
  QueueRecord record;
  for (;;) {
    const long received = transport_->Receive(receiver.socket, record.datagram, record.sender);
    if (stopping_) return;
    if (received < 0) {
      // A failing socket must not turn this thread into a busy loop.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    ++receiver.received;
    const auto length = static_cast<std::size_t>(received);
    if (length > kMaxDatagramSize) continue;
    std::fill(record.datagram.begin() + static_cast<std::ptrdiff_t>(length), record.datagram.end(),
              uint8_t{0});
    record.length = length;
    if (!IsAcceptedDatagram(std::span(record.datagram.data(), length), receiver.port)) continue;
    ++receiver.accepted;
    receiver.queue.Push(record);
  }
}

void CDeviceEngine::WorkLoop(Receiver& receiver) {
  std::deque<QueueRecord> batch;
  while (receiver.queue.TakeAll(batch)) {
    for (const QueueRecord& record : batch) Handle(receiver.socket, record);
  }
}

bool CDeviceEngine::ProcessDatagram(EngineSocket socket, std::span<const uint8_t> datagram,
                                    const sockaddr_in& sender) {
  if (datagram.size() > kMaxDatagramSize) return false;
  if (!IsAcceptedDatagram(datagram, AcceptancePort(socket))) return false;
  auto record = std::make_unique<QueueRecord>();
  record->sender = sender;
  std::copy(datagram.begin(), datagram.end(), record->datagram.begin());
  record->length = datagram.size();
  Handle(socket, *record);
  return true;
}

void CDeviceEngine::Handle(EngineSocket socket, const QueueRecord& record) {
  switch (socket) {
    case EngineSocket::kAnnounce: OnAnnouncement(record); break;
    case EngineSocket::kKeepalive: OnKeepalive(record); break;
    case EngineSocket::kReply: Dispatch(record); break;
    case EngineSocket::kSearch: break;
  }
}

void CDeviceEngine::OnAnnouncement(const QueueRecord& record) {
  const auto answer = HandleAnnouncement(online_, record);
  if (!answer) return;
  SendToDevice(answer->device.ip, kMsgDiscover, {}, answer->device.mac, false);
  if (answer->request_report) {
    SendToDevice(answer->device.ip, kMsgDeviceInfo, {}, answer->device.mac, true);
  }
}

void CDeviceEngine::OnKeepalive(const QueueRecord& record) {
  const auto answer = HandleKeepalive(online_, record);
  if (!answer) return;
  SendToDevice(answer->device.ip, kMsgKeepalive, {}, answer->device.mac, false);
  store_.UpdateKeepalive(answer->device.ip, answer->device.mac, answer->up_time);
}

void CDeviceEngine::Dispatch(const QueueRecord& record) {
  const DatagramHeader header = DecodeHeader(record.datagram);
  if (header.type != kMsgSiteSurvey && header.type != kMsgRelease) {
    const std::string mac = HeaderMacText(header);
    if (pending_.Acknowledge(SenderIpText(record), mac, header.type)) {
      std::lock_guard lock(acknowledgements_mutex_);
      ++acknowledgements_[{mac, header.type}];
    }
  }
  switch (header.type) {
    case kMsgDeviceInfo: OnReport(record); break;
    case kMsgSiteSurvey: OnScanPage(record, header); break;
    default: OnCommandAnswer(record, header); break;
  }
}

void CDeviceEngine::OnCommandAnswer(const QueueRecord& record, const DatagramHeader& header) {
  const std::string mac = HeaderMacText(header);
  switch (header.type) {
    case kMsgSetIp: online_.ConfirmIpChange(mac, SenderIpText(record)); return;
    case kMsgUpgradeQuery: store_.PromoteUpgradeWait(mac); return;
    default: break;
  }
  const std::span<const uint8_t> payload = PayloadOf(record, header, 1);
  const uint8_t result = payload.empty() ? 0 : payload[0];
  // An answer without its result byte reads as zeros, as any short payload.
  if (const std::optional<int> status = StatusFromAnswer(header.type, result)) {
    store_.SetDeviceStatus(mac, *status);
  }
}

void CDeviceEngine::OnScanPage(const QueueRecord& record, const DatagramHeader& header) {
  const ScanPage page = ReadScanPage(PayloadOf(record, header, kScanPageReadSize));
  if (page.last) scan_complete_ = true;
  store_.StoreScanResults(page.bytes.data(), page.bytes.size());
}

void CDeviceEngine::OnReport(const QueueRecord& record) {
  const auto device = HandleReport(online_, record);
  if (!device) return;
  if (store_.UpsertDevice(*device)) ++reports_stored_;
}

bool CDeviceEngine::SendToDevice(const std::string& ip, uint16_t type,
                                 std::span<const uint8_t> payload, const std::string& mac,
                                 bool retransmit) {
  const std::optional<std::string> local = addresses_.LocalAddressFor(ip);
  if (!local) return false;
  std::array<uint8_t, kMaxDatagramSize> datagram{};
  const std::size_t size = EncodeDatagram(payload, mac, type, true, datagram);
  if (size == 0) return false;
  if (type == kMsgSiteSurvey) scan_complete_ = false;
  if (!transport_->SendFromAdapter(*local, std::span(datagram.data(), size))) return false;
  if (retransmit && !IsNeverRetransmitted(type)) {
    pending_.Add({retransmission_max_.load(), ip, type, {payload.begin(), payload.end()}, mac});
  }
  return true;
}

bool CDeviceEngine::SearchDevices() {
  std::vector<std::string> destinations = DirectedBroadcasts(RefreshAdapters());
  if (destinations.empty()) destinations.emplace_back(kLimitedBroadcast);
  std::array<uint8_t, kDatagramHeaderSize> datagram{};
  const std::size_t size = EncodeDatagram({}, "", kMsgDiscover, false, datagram);
  bool allSent = true;
  for (const std::string& destination : destinations) {
    allSent = transport_->SendSearch(destination, std::span(datagram.data(), size)) && allSent;
  }
  return allSent;
}

std::vector<HostNicsInfo> CDeviceEngine::RefreshAdapters() {
  std::vector<HostNicsInfo> adapters = adapters_->Read();
  std::erase_if(adapters, [](const HostNicsInfo& adapter) { return !IsUsableAdapter(adapter); });
  addresses_.Merge(adapters);
  return adapters;
}

void CDeviceEngine::ReleaseAnnounced() {
  for (const DeviceAddress& device : online_.Announced()) {
    SendToDevice(device.ip, kMsgRelease, {}, device.mac, false);
  }
}

void CDeviceEngine::DropAnnounced() { online_.DropAnnounced(); }

void CDeviceEngine::PurgeStale() {
  std::vector<std::string> stored;
  if (!store_.GetAllMacs(stored)) return;
  const std::unordered_set<std::string> online = online_.Macs();
  for (const std::string& mac : stored) {
    if (!online.contains(mac)) store_.DeleteDevice(mac);
  }
}

std::vector<ap_info_stu> CDeviceEngine::CopyAnnounced(const std::string& filter) const {
  std::vector<ap_info_stu> records;
  for (const DeviceEntry& entry : online_.Snapshot()) {
    if (entry.state != EntryState::kAnnounced) continue;
    if (!filter.empty() && entry.ip.find(filter) == std::string::npos &&
        entry.mac.find(filter) == std::string::npos &&
        AreaString(entry.version).find(filter) == std::string::npos) {
      continue;
    }
    ap_info_stu& device = records.emplace_back();
    std::memset(&device, 0, sizeof device);
    std::memcpy(device.mac, entry.mac.c_str(), std::min(entry.mac.size() + 1, sizeof device.mac));
    device.ap_type = entry.model;
    device.ap_status = kStatusAnnounced;
    const IpBytes ip = ParseIpText(entry.ip);
    std::memcpy(device.ip, ip.data(), ip.size());
    CopyArea(entry.ap_name, device.ap_name, device.ap_name_len);
    CopyArea(entry.version, device.version, device.version_len);
    CopyArea(entry.ssid, device.ssid, device.ssid_len);
    device.up_time = entry.up_time;
    device.work_mode = entry.work_mode;
    device.mode_btn_status = entry.mode_btn_status;
    device.channel = entry.channel;
    device.bridge_transparent = entry.bridge_transparent;
    device.tdmaEn = entry.tdmaEn;
  }
  return records;
}

void CDeviceEngine::RunAgeingPass() {
  for (const DeviceAddress& device : online_.AgeingPass()) store_.DeleteDevice(device.mac);
}

void CDeviceEngine::RunRetransmissionPass() {
  pending_.Pass([this](const PendingCommand& command) {
    SendToDevice(command.ip, command.type, command.payload, command.mac, false);
  });
}

void CDeviceEngine::FollowIpChange(const std::string& mac, const std::string& currentIp,
                                   const std::string& newIp) {
  online_.FollowIpChange(mac, currentIp, newIp);
}

bool CDeviceEngine::ScanComplete() const { return scan_complete_; }

bool CDeviceEngine::Reaches(const std::string& ip) const {
  return addresses_.LocalAddressFor(ip).has_value();
}

std::size_t CDeviceEngine::Acknowledgements(const std::string& mac, uint16_t type) const {
  std::lock_guard lock(acknowledgements_mutex_);
  const auto found = acknowledgements_.find({mac, type});
  return found == acknowledgements_.end() ? 0 : found->second;
}

std::vector<DeviceEntry> CDeviceEngine::OnlineDevices() const { return online_.Snapshot(); }

std::vector<PendingCommand> CDeviceEngine::PendingCommands() const { return pending_.Snapshot(); }

std::vector<AdapterAddress> CDeviceEngine::AdapterAddresses() const { return addresses_.Snapshot(); }

EngineCounters CDeviceEngine::Counters() const {
  EngineCounters counters;
  for (std::size_t i = 0; i < receivers_.size(); ++i) {
    counters.received[i] = receivers_[i]->received;
    counters.accepted[i] = receivers_[i]->accepted;
    counters.dropped[i] = receivers_[i]->queue.Dropped();
  }
  counters.reports_stored = reports_stored_;
  return counters;
}
