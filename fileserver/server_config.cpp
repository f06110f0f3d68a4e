#include "fileserver/server_config.h"

#include <arpa/inet.h>

#include <charconv>
#include <system_error>

#include "util/ini_file.h"

namespace {
constexpr std::size_t kMaxValueChars = 1023;
}

ConfigResult LoadServerConfig(const std::filesystem::path& iniFile) {
  ConfigResult result;
  const std::string directory = ReadIniString(iniFile, "SERVER", "Directory", "", kMaxValueChars);
  if (directory.empty()) {
    result.error = "no Directory in section SERVER of " + iniFile.string();
    return result;
  }
  result.config.directory = iniFile.parent_path() / directory;

  const std::string port = ReadIniString(iniFile, "SERVER", "Port", "69", kMaxValueChars);
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (ec != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535) {
    result.error = "invalid Port \"" + port + "\" in " + iniFile.string();
    return result;
  }
  result.config.port = static_cast<uint16_t>(value);

  const std::string address = ReadIniString(iniFile, "SERVER", "Address", "", kMaxValueChars);
  result.config.address.s_addr = htonl(INADDR_ANY);
  if (!address.empty() && inet_pton(AF_INET, address.c_str(), &result.config.address) != 1) {
    result.error = "invalid Address \"" + address + "\" in " + iniFile.string();
    return result;
  }
  result.ok = true;
  return result;
}
