#pragma once
// The fixture of the end-to-end tests: a test network of its own (named after
// the test, so a rerun cleans up what a crash left), this thread on the
// program's side, devsim on the devices' side, and an engine with its store in
// a scratch folder. Skips without root.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/device_engine.h"
#include "sim/population.h"
#include "sim/testbed.h"
#include "store/sql_management.h"

class NetworkTest : public ::testing::Test {
 protected:
  // Subnets of the program's adapters, one veth pair each.
  virtual std::vector<std::string> Subnets() const { return {"10.77"}; }

  void SetUp() override;
  void TearDown() override;

  void StartDevsim(const std::vector<std::string>& arguments);
  void StartEngine(EngineOptions options = {}, int retransmissionInterval = 100,
                   int retransmissionMax = 5);
  // Writes a device file into the scratch folder and returns its path.
  std::string WriteDeviceFile(const std::string& text);

  // Polls `done` every 10 ms until it holds or the time is up.
  static bool WaitUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::size_t StoredCount();
  // The device's row; false when it has none (the store answers an unknown
  // MAC with an all-zero record).
  bool Stored(const std::string& mac, ap_info_stu& record);
  bool IsOnline(const std::string& mac, EntryState state);
  // Searches every 3 s, as the Status page does, until `count` rows are stored.
  bool SearchUntilStored(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(15));

  std::unique_ptr<TestNetwork> network_;
  std::filesystem::path scratch_;
  std::unique_ptr<DevsimProcess> devsim_;
  std::unique_ptr<CSqlManagement> store_;
  std::unique_ptr<CDeviceEngine> engine_;
};
