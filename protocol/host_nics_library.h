#pragma once
// CHostNicsLibrary: libHostNics.so, loaded by name when the engine is built,
// first from the program's directory, then from the system's search path.
// Both exports are looked up at every read; a library without
// GetHostNicsInfo reads as empty.

#include <mutex>
#include <string>
#include <vector>

#include "protocol/adapter_source.h"

class CHostNicsLibrary final : public CAdapterSource {
 public:
  // The program directory's libHostNics.so, then the plain name.
  static std::vector<std::string> DefaultCandidates();

  // Loads the first of the candidate paths that loads.
  explicit CHostNicsLibrary(std::vector<std::string> candidates = DefaultCandidates());
  ~CHostNicsLibrary() override;
  CHostNicsLibrary(const CHostNicsLibrary&) = delete;
  CHostNicsLibrary& operator=(const CHostNicsLibrary&) = delete;

  std::vector<HostNicsInfo> Read() override;
  bool IsLoaded() const override;
  void Unload() override;

 private:
  mutable std::mutex mutex_;  // the library keeps one global list
  void* handle_ = nullptr;
};
