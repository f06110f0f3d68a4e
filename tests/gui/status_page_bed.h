#pragma once
// The Status page end to end: the real engine and store in the program's
// namespace, devsim's devices in the other. Needs root for the namespaces.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application_app.h"
#include "pages/status/status_dlg.h"
#include "protocol/device_engine.h"
#include "sim/population.h"
#include "sim/testbed.h"
#include "store/sql_management.h"

class StatusPageBed {
 public:
  ~StatusPageBed() { Down(); }

  // Brings up the namespaces named after `name` (at most 10 characters),
  // devsim with the devices of `deviceFile` and `devsimArguments` besides the
  // file, the engine, and the page, not shown yet. False with `error` on the
  // first failure.
  bool Up(const std::string& name, const std::string& deviceFile,
          const std::vector<std::string>& devsimArguments, std::string& error);
  void Down();

  std::unique_ptr<DevsimProcess> devsim;
  std::unique_ptr<CSqlManagement> store;
  std::unique_ptr<CDeviceEngine> engine;
  CApplicationApp app;
  std::unique_ptr<CStatusDlg> page;
  std::vector<SimDevice> devices;

 private:
  std::unique_ptr<TestNetwork> network_;
  std::filesystem::path scratch_;
};
