#include "status_page_bed.h"

#include <cstdlib>
#include <fstream>

#include "settings/skin_paths.h"

bool StatusPageBed::Up(const std::string& name, const std::string& deviceFile,
                       const std::vector<std::string>& devsimArguments, std::string& error) {
  network_ = std::make_unique<TestNetwork>(name, std::vector<std::string>{"10.77"});
  if (!network_->Up(error) || !network_->EnterProgramSide(error)) return false;
  setenv("HOSTNICS_INCLUDE", network_->Include().c_str(), 1);
  scratch_ = std::filesystem::temp_directory_path() / ("gui-" + name);
  std::filesystem::remove_all(scratch_);
  std::filesystem::create_directories(scratch_);

  const std::filesystem::path file = scratch_ / "devices.ini";
  std::ofstream(file) << deviceFile;
  PopulationPlan plan;
  if (!LoadPopulationFile(file, plan, devices, error)) return false;

  std::vector<std::string> arguments{"--file", file.string()};
  arguments.insert(arguments.end(), devsimArguments.begin(), devsimArguments.end());
  devsim = std::make_unique<DevsimProcess>();
  if (!devsim->Start(network_->DeviceNamespace(), arguments, error)) return false;
  store = std::make_unique<CSqlManagement>(scratch_ / "data.db");
  engine = std::make_unique<CDeviceEngine>(*store);
  if (!engine->Start(100, 5)) {
    error = "the engine did not start";
    return false;
  }
  app.store = store.get();
  app.engine = engine.get();
  app.skin = BuildSkinPaths(SOURCE_DIR "/resources/Skin", 1033);
  page = std::make_unique<CStatusDlg>(app, nullptr);
  return true;
}

void StatusPageBed::Down() {
  page.reset();
  if (engine) engine->Stop();
  engine.reset();
  store.reset();
  devsim.reset();
  network_.reset();
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
  scratch_.clear();
}
