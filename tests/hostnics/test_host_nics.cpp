#include <arpa/inet.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "hostnics/adapter_scan.h"
#include "hostnics/host_nics_info.h"
#include "tests/util/temp_directory.h"

namespace fs = std::filesystem;

namespace {

uint32_t Ip(const char* text) {
  in_addr address{};
  inet_pton(AF_INET, text, &address);
  return address.s_addr;
}

// A /sys tree with one interface of each kind.
class FakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path root = dir_.path();
    paths_.sys_class_net = (root / "class/net").string();
    MakeDevice("devices/pci0000:00/0000:00:03.0", "pci");
    MakeDevice("devices/pci0000:00/0000:00:03.0/virtio2", "virtio");
    Link("eth0", "devices/pci0000:00/0000:00:03.0/virtio2");
    MakeDevice("devices/pci0000:00/0000:00:14.0/usb1/1-1", "usb");
    MakeDevice("devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0", "usb_interface");
    Link("wlan0", "devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0");
    MakeDevice("devices/platform/soc/ethernet", "platform");
    Link("end0", "devices/platform/soc/ethernet");
    fs::create_directories(root / "class/net/veth0");  // virtual: no device link
  }

  void MakeDevice(const std::string& relative, const std::string& subsystem) {
    const fs::path at = dir_.path() / relative;
    fs::create_directories(at);
    fs::create_directories(dir_.path() / "bus" / subsystem);
    fs::create_directory_symlink(dir_.path() / "bus" / subsystem, at / "subsystem");
  }
  void Link(const std::string& name, const std::string& device) {
    const fs::path at = dir_.path() / "class/net" / name;
    fs::create_directories(at);
    fs::create_directory_symlink(dir_.path() / device, at / "device");
  }

  TempDirectory dir_;
  ScanPaths paths_;
};

TEST_F(FakeSysfs, KeepsPciAndUsbAdaptersOnly) {
  EXPECT_TRUE(IsPhysicalAdapter("eth0", "", paths_));   // virtio below a PCI function
  EXPECT_TRUE(IsPhysicalAdapter("wlan0", "", paths_));  // below a USB device
  EXPECT_FALSE(IsPhysicalAdapter("end0", "", paths_));  // a platform bus
  EXPECT_FALSE(IsPhysicalAdapter("veth0", "", paths_));
  EXPECT_FALSE(IsPhysicalAdapter("missing", "", paths_));
  EXPECT_FALSE(IsPhysicalAdapter("../net/eth0", "", paths_));
}

TEST_F(FakeSysfs, IncludeListAcceptsNamedVirtualAdapters) {
  EXPECT_TRUE(IsPhysicalAdapter("veth0", "veth9, veth0", paths_));
  EXPECT_TRUE(IsPhysicalAdapter("lo", "lo", paths_));
  EXPECT_FALSE(IsPhysicalAdapter("veth0", "veth00,veth", paths_));
}

TEST(HostNicsScan, GatewaysComeFromTheRoutesOfTheInterface) {
  TempDirectory dir;
  ScanPaths paths;
  paths.route_table = dir.Write("route",
      "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
      "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\n"
      "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\n"
      "eth1\t00000000\t01004D0A\t0003\t0\t0\t0\t00000000\n"
      "eth0\t0000000A\t0100000A\t0003\t0\t0\t0\t000000FF\n").string();
  const auto gateways = ReadGateways("eth0", paths);
  ASSERT_EQ(gateways.size(), 2u);
  EXPECT_EQ(Ipv4Text(gateways[0]), "192.0.2.1");
  EXPECT_EQ(Ipv4Text(gateways[1]), "10.0.0.1");
  // Each address takes the first gateway inside its own subnet.
  EXPECT_EQ(Ipv4Text(GatewayForAddress({Ip("10.9.8.7"), Ip("255.0.0.0")}, gateways)), "10.0.0.1");
  EXPECT_EQ(Ipv4Text(GatewayForAddress({Ip("192.0.2.5"), Ip("255.255.255.0")}, gateways)),
            "192.0.2.1");
  EXPECT_EQ(GatewayForAddress({Ip("172.16.0.5"), Ip("255.255.0.0")}, gateways), 0u);
}

TEST(HostNicsScan, DnsServersAreTheFirstTwoIpv4NameServers) {
  TempDirectory dir;
  ScanPaths paths;
  paths.resolv_conf = dir.Write("resolv.conf",
      "# comment\nsearch example\nnameserver fe80::1\nnameserver 10.0.0.53\n"
      "nameserver 10.0.0.54\nnameserver 10.0.0.55\n").string();
  EXPECT_EQ(ReadDnsServers(paths), std::make_pair(std::string("10.0.0.53"), std::string("10.0.0.54")));
  paths.resolv_conf = (dir.path() / "missing").string();
  EXPECT_EQ(ReadDnsServers(paths), std::make_pair(std::string(), std::string()));
}

TEST(HostNicsScan, DescriptionFromTheHardwareDatabaseElseTheName) {
  TempDirectory dir;
  ScanPaths paths;
  paths.udev_data = dir.path().string();
  dir.Write("n2", "I:123\nE:ID_VENDOR_FROM_DATABASE=Acme Networks\n"
                  "E:ID_MODEL_FROM_DATABASE=Gigabit Controller\n");
  EXPECT_EQ(AdapterDescription("eth0", 2, paths), "Acme Networks Gigabit Controller");
  EXPECT_EQ(AdapterDescription("eth1", 3, paths), "eth1");
}

// The built library, loaded by path as the engine loads it.
class HostNicsLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(HOSTNICS_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    get_ = reinterpret_cast<GetHostNicsInfoFunction>(dlsym(handle_, kGetHostNicsInfoName));
    clear_ = reinterpret_cast<ClearHostNicsInfoFunction>(dlsym(handle_, kClearHostNicsInfoName));
    ASSERT_NE(get_, nullptr);
    ASSERT_NE(clear_, nullptr);
  }
  void TearDown() override {
    unsetenv("HOSTNICS_INCLUDE");
    if (handle_ != nullptr) dlclose(handle_);
  }
  void* handle_ = nullptr;
  GetHostNicsInfoFunction get_ = nullptr;
  ClearHostNicsInfoFunction clear_ = nullptr;
};

TEST_F(HostNicsLibrary, IncludedLoopbackIsListedWithItsAddress) {
  setenv("HOSTNICS_INCLUDE", "lo", 1);
  const HostNicsInfo* found = nullptr;
  for (const HostNicsInfo* at = get_(); at != nullptr; at = at->next) {
    if (std::strcmp(at->adapter_name, "lo") == 0) found = at;
  }
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->valid, 1);
  ASSERT_GE(found->address_count, 1);
  EXPECT_STREQ(found->addresses[0].ip, "127.0.0.1");
  EXPECT_STREQ(found->addresses[0].mask, "255.0.0.0");
  EXPECT_STREQ(found->description, "lo");
  EXPECT_EQ(clear_(), 1);
}

TEST_F(HostNicsLibrary, LoopbackIsLeftOutWithoutTheIncludeList) {
  unsetenv("HOSTNICS_INCLUDE");
  const HostNicsInfo* head = get_();
  ASSERT_NE(head, nullptr);
  for (const HostNicsInfo* at = head; at != nullptr; at = at->next) {
    EXPECT_STRNE(at->adapter_name, "lo");
    if (at->valid == 0) {
      EXPECT_EQ(at->next, nullptr);  // the placeholder stands alone
    }
  }
  EXPECT_EQ(clear_(), 1);
}

TEST_F(HostNicsLibrary, ClearingTwiceAndBuildingTwiceAreHarmless) {
  setenv("HOSTNICS_INCLUDE", "lo", 1);
  ASSERT_NE(get_(), nullptr);
  ASSERT_NE(get_(), nullptr);  // the first list is freed by the next clear
  EXPECT_EQ(clear_(), 1);
  EXPECT_EQ(clear_(), 1);
}

}  // namespace
