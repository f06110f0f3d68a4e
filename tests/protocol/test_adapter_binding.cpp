// Local adapter addresses: which one each device is reached through, how the
// list follows the PC's addresses, and an engine without the adapter library.

#include <gtest/gtest.h>

#include "protocol/host_nics_library.h"
#include "protocol/subnet.h"
#include "tests/protocol/engine_fixture.h"

namespace {

const std::string kMac = "00:11:22:33:44:0a";

struct SubnetCase {
  const char* name;
  const char* adapter;
  const char* mask;
  const char* device;
  bool same;
  friend void PrintTo(const SubnetCase& c, std::ostream* out) { *out << c.name; }
};

class SameSubnet : public ::testing::TestWithParam<SubnetCase> {};

TEST_P(SameSubnet, Decides) {
  const SubnetCase& c = GetParam();
  EXPECT_EQ(IsInSameSubnet(c.adapter, c.mask, c.device), c.same);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SameSubnet,
    ::testing::Values(SubnetCase{"inside", "10.77.0.1", "255.255.0.0", "10.77.200.3", true},
                      SubnetCase{"outside", "10.77.0.1", "255.255.0.0", "10.78.0.3", false},
                      SubnetCase{"host_mask", "10.77.0.1", "255.255.255.255", "10.77.0.1", true},
                      SubnetCase{"unset_adapter", "0.0.0.0", "255.0.0.0", "0.1.2.3", false},
                      SubnetCase{"unset_device", "10.77.0.1", "255.255.0.0", "0.0.0.0", false},
                      SubnetCase{"empty_device", "10.77.0.1", "255.255.0.0", "", false},
                      SubnetCase{"unset_mask", "10.77.0.1", "0.0.0.0", "10.77.0.2", false},
                      SubnetCase{"empty_mask", "10.77.0.1", "", "10.77.0.2", false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AdapterBinding, EachSubnetIsReachedThroughItsOwnAdapter) {
  EngineFixture f({{"eth0", {{"10.77.0.1", "255.255.0.0"}}},
                   {"eth1", {{"192.168.8.2", "255.255.255.0"}}}});
  ASSERT_TRUE(f.engine->SendToDevice("192.168.8.40", kMsgReboot, {}, kMac, false));
  ASSERT_TRUE(f.engine->SendToDevice("10.77.3.3", kMsgReboot, {}, kMac, false));
  const auto sent = f.transport->Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].address, "192.168.8.2");
  EXPECT_EQ(sent[1].address, "10.77.0.1");
}

TEST(AdapterBinding, AddressListFollowsThePcsAddresses) {
  EngineFixture f({{"eth0", {{"10.77.0.1", "255.255.0.0"}, {"10.77.0.2", "255.255.0.0"}}}});
  // Of two addresses in one subnet the one seen first is used.
  ASSERT_TRUE(f.engine->SendToDevice("10.77.5.5", kMsgReboot, {}, kMac, false));
  EXPECT_EQ(f.transport->Sent().back().address, "10.77.0.1");

  // The adapter's first address changes: the old one goes, the new one joins
  // at the end, and the remaining older address now serves the subnet.
  f.adapterSource->Set({{"eth0", {{"10.77.0.9", "255.255.0.0"}, {"10.77.0.2", "255.255.0.0"}}}});
  f.engine->SearchDevices();
  const auto addresses = f.engine->AdapterAddresses();
  ASSERT_EQ(addresses.size(), 2u);
  EXPECT_EQ(addresses[0].ip, "10.77.0.2");
  EXPECT_EQ(addresses[1].ip, "10.77.0.9");
  ASSERT_TRUE(f.engine->SendToDevice("10.77.5.5", kMsgReboot, {}, kMac, false));
  EXPECT_EQ(f.transport->Sent().back().address, "10.77.0.2");

  // The adapter loses its addresses: nothing reaches the device any more.
  f.adapterSource->Set({{"eth0", {{"0.0.0.0", "0.0.0.0"}}}});
  EXPECT_TRUE(f.engine->RefreshAdapters().empty());
  EXPECT_TRUE(f.engine->AdapterAddresses().empty());
  EXPECT_FALSE(f.engine->SendToDevice("10.77.5.5", kMsgReboot, {}, kMac, false));
}

TEST(AdapterBinding, RefreshKeepsOnlyAdaptersWithAUsableFirstAddress) {
  EngineFixture f({{"placeholder", {{"10.1.0.1", "255.255.0.0"}}, 0},
                   {"noaddress", {}},
                   {"unplugged", {{"0.0.0.0", "0.0.0.0"}, {"10.2.0.1", "255.255.0.0"}}},
                   {"eth0", {{"10.77.0.1", "255.255.0.0"}}}});
  const auto adapters = f.engine->RefreshAdapters();
  ASSERT_EQ(adapters.size(), 1u);
  EXPECT_STREQ(adapters[0].adapter_name, "eth0");
  EXPECT_EQ(adapters[0].next, nullptr);
}

TEST(AdapterBinding, WithoutTheLibrarySearchesGoToTheLimitedBroadcastOnly) {
  TempDirectory dir;
  CSqlManagement store(dir.path() / "data.db");
  auto transportOwned = std::make_unique<CFakeTransport>();
  CFakeTransport* transport = transportOwned.get();
  EngineOptions options;
  options.transport = std::move(transportOwned);
  options.adapters = std::make_unique<CHostNicsLibrary>(
      std::vector<std::string>{(dir.path() / "libHostNics.so").string()});
  CDeviceEngine engine(store, std::move(options));

  EXPECT_TRUE(engine.RefreshAdapters().empty());
  ASSERT_TRUE(engine.SearchDevices());
  const auto sent = transport->Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].address, "255.255.255.255");
  EXPECT_FALSE(engine.SendToDevice("10.77.1.1", kMsgReboot, {}, kMac, true));
  // An announcing device can therefore not be answered.
  engine.ProcessDatagram(EngineSocket::kAnnounce, Announcement(kMac), Address("10.77.1.1"));
  EXPECT_EQ(transport->Sent().size(), 1u);
  EXPECT_TRUE(engine.PendingCommands().empty());
}

TEST(AdapterBinding, TheBuiltLibraryIsLoadedFromTheProgramDirectory) {
  // The tests live beside libHostNics.so, as the program does.
  CHostNicsLibrary library;
  ASSERT_TRUE(library.IsLoaded());
  setenv("HOSTNICS_INCLUDE", "lo", 1);
  const auto records = library.Read();
  unsetenv("HOSTNICS_INCLUDE");
  const bool hasLoopback = std::any_of(records.begin(), records.end(), [](const HostNicsInfo& r) {
    return std::string(r.adapter_name) == "lo" && std::string(r.addresses[0].ip) == "127.0.0.1";
  });
  EXPECT_TRUE(hasLoopback);
  library.Unload();
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_TRUE(library.Read().empty());
}

}  // namespace
