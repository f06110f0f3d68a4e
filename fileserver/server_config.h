#pragma once
// The server's settings from FileServer.ini, section SERVER: Directory (the
// folder served, required), Port (69) and Address (every local address).

#include <netinet/in.h>

#include <cstdint>
#include <filesystem>
#include <string>

struct ServerConfig {
  std::filesystem::path directory;
  in_addr address{};  // INADDR_ANY by default
  uint16_t port = 69;
};

struct ConfigResult {
  bool ok = false;
  ServerConfig config;
  std::string error;  // one line for the user when !ok
};

// A relative Directory is taken relative to the INI file's folder.
ConfigResult LoadServerConfig(const std::filesystem::path& iniFile);
