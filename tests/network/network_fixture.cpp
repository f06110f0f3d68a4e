#include "network_fixture.h"

#include <cstdlib>
#include <fstream>
#include <thread>

void NetworkTest::SetUp() {
  if (!RunningAsRoot()) GTEST_SKIP() << "end-to-end network tests need root (namespaces)";
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string testName = std::string(info->test_suite_name()) + "." + info->name();
  char name[16];
  std::snprintf(name, sizeof name, "e%06zx", std::hash<std::string>{}(testName) & 0xffffff);
  network_ = std::make_unique<TestNetwork>(name, Subnets());
  std::string error;
  ASSERT_TRUE(network_->Up(error)) << error;
  ASSERT_TRUE(network_->EnterProgramSide(error)) << error;
  setenv("HOSTNICS_INCLUDE", network_->Include().c_str(), 1);
  scratch_ = std::filesystem::temp_directory_path() / (std::string("devsim-") + name);
  std::filesystem::remove_all(scratch_);
  std::filesystem::create_directories(scratch_);
}

void NetworkTest::TearDown() {
  if (engine_) engine_->Stop();
  engine_.reset();
  store_.reset();
  devsim_.reset();
  network_.reset();
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
}

void NetworkTest::StartDevsim(const std::vector<std::string>& arguments) {
  devsim_ = std::make_unique<DevsimProcess>();
  std::string error;
  ASSERT_TRUE(devsim_->Start(network_->DeviceNamespace(), arguments, error)) << error;
}

void NetworkTest::StartEngine(EngineOptions options, int retransmissionInterval,
                              int retransmissionMax) {
  store_ = std::make_unique<CSqlManagement>(scratch_ / "data.db");
  ASSERT_TRUE(store_->IsOpen());
  engine_ = std::make_unique<CDeviceEngine>(*store_, std::move(options));
  ASSERT_TRUE(engine_->Start(retransmissionInterval, retransmissionMax));
}

std::string NetworkTest::WriteDeviceFile(const std::string& text) {
  const auto path = scratch_ / "devices.ini";
  std::ofstream(path) << text;
  return path.string();
}

bool NetworkTest::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::size_t NetworkTest::StoredCount() {
  std::vector<std::string> macs;
  store_->GetAllMacs(macs);
  return macs.size();
}

bool NetworkTest::Stored(const std::string& mac, ap_info_stu& record) {
  return store_->GetDevice(mac, record) && mac == record.mac;
}

bool NetworkTest::IsOnline(const std::string& mac, EntryState state) {
  for (const DeviceEntry& entry : engine_->OnlineDevices()) {
    if (entry.mac == mac) return entry.state == state;
  }
  return false;
}

bool NetworkTest::SearchUntilStored(std::size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    engine_->SearchDevices();
    if (WaitUntil([&] { return StoredCount() >= count; }, std::chrono::seconds(3))) {
      return true;
    }
  }
  return false;
}
