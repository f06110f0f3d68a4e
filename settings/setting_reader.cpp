#include "settings/setting_reader.h"

#include <mutex>

#include "util/ini_file.h"
#include "util/program_paths.h"

namespace {

constexpr std::size_t kMaxSettingChars = 63;

std::mutex fileMutex;
std::filesystem::path chosenFile;

}  // namespace

void SetSettingFile(const std::filesystem::path& file) {
  std::lock_guard lock(fileMutex);
  chosenFile = file;
}

std::filesystem::path SettingFile() {
  {
    std::lock_guard lock(fileMutex);
    if (!chosenFile.empty()) return chosenFile;
  }
  return FindProgramResource("Setting.ini");
}

std::string ReadSetting(std::string_view section, std::string_view key,
                        std::string_view defaultValue) {
  return ReadIniString(SettingFile(), section, key, defaultValue, kMaxSettingChars);
}
