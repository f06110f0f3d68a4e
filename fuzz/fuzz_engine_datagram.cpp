// Feeds arbitrary datagrams through the engine's acceptance rules and every
// handler: the first byte picks the receiving socket and the sender's address,
// the rest is the datagram. Every few inputs an ageing and a retransmission
// pass run, so entries made by one input meet the next ones.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include <arpa/inet.h>

#include "protocol/datagram_transport.h"
#include "protocol/device_engine.h"
#include "store/sql_management.h"

namespace {

// Sends nowhere; receives nothing (the engine is never started).
class NullTransport final : public CDatagramTransport {
 public:
  bool Open() override { return true; }
  void Shutdown() override {}
  void Close() override {}
  long Receive(EngineSocket, std::span<uint8_t>, sockaddr_in&) override { return 0; }
  bool SendSearch(const std::string&, std::span<const uint8_t>) override { return true; }
  bool SendFromAdapter(const std::string&, std::span<const uint8_t>) override { return true; }
};

// One adapter, 10.77.0.1/16, so answers and pending commands are made.
class OneAdapter final : public CAdapterSource {
 public:
  std::vector<HostNicsInfo> Read() override {
    HostNicsInfo record{};
    record.valid = 1;
    record.address_count = 1;
    std::strcpy(record.addresses[0].ip, "10.77.0.1");
    std::strcpy(record.addresses[0].mask, "255.255.0.0");
    return {record};
  }
  bool IsLoaded() const override { return true; }
  void Unload() override {}
};

struct Harness {
  Harness() {
    char pattern[] = "/tmp/fuzz-engine-XXXXXX";
    directory = mkdtemp(pattern);
    store = std::make_unique<CSqlManagement>(directory / "data.db");
    EngineOptions options;
    options.transport = std::make_unique<NullTransport>();
    options.adapters = std::make_unique<OneAdapter>();
    options.online_capacity = 256;
    engine = std::make_unique<CDeviceEngine>(*store, std::move(options));
    engine->RefreshAdapters();
  }
  ~Harness() {
    engine.reset();
    store.reset();
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
  std::filesystem::path directory;
  std::unique_ptr<CSqlManagement> store;
  std::unique_ptr<CDeviceEngine> engine;
  unsigned inputs = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness harness;
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  static constexpr EngineSocket kSockets[] = {EngineSocket::kAnnounce, EngineSocket::kKeepalive,
                                              EngineSocket::kReply, EngineSocket::kSearch};
  sockaddr_in sender{};
  sender.sin_family = AF_INET;
  sender.sin_port = htons(9788);
  // A few senders inside the adapter's subnet and one outside it.
  const uint8_t host = static_cast<uint8_t>((selector >> 2) & 0x07);
  const uint32_t address = host == 7 ? 0xC0A80105u : (0x0A4D0100u | host);
  sender.sin_addr.s_addr = htonl(address);
  harness.engine->ProcessDatagram(kSockets[selector & 0x03], std::span(data + 1, size - 1), sender);
  if (++harness.inputs % 16 == 0) {
    harness.engine->RunAgeingPass();
    harness.engine->RunRetransmissionPass();
    harness.engine->CopyAnnounced("1");
  }
  if (harness.inputs % 1024 == 0) {
    harness.engine->PurgeStale();
    harness.engine->DropAnnounced();
  }
  return 0;
}
