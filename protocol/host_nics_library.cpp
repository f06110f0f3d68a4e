#include "protocol/host_nics_library.h"

#include <dlfcn.h>

#include "util/program_paths.h"

namespace {
// A list longer than this is taken as broken rather than walked forever.
constexpr std::size_t kMaxRecords = 1024;
}  // namespace

std::vector<std::string> CHostNicsLibrary::DefaultCandidates() {
  return {GetExeDirectory() + kHostNicsLibraryName, kHostNicsLibraryName};
}

CHostNicsLibrary::CHostNicsLibrary(std::vector<std::string> candidates) {
  for (const std::string& path : candidates) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) break;
  }
}

CHostNicsLibrary::~CHostNicsLibrary() { Unload(); }

std::vector<HostNicsInfo> CHostNicsLibrary::Read() {
  std::lock_guard lock(mutex_);
  std::vector<HostNicsInfo> records;
  if (handle_ == nullptr) return records;
  auto clear = reinterpret_cast<ClearHostNicsInfoFunction>(dlsym(handle_, kClearHostNicsInfoName));
  auto get = reinterpret_cast<GetHostNicsInfoFunction>(dlsym(handle_, kGetHostNicsInfoName));
  if (get == nullptr) return records;
  for (const HostNicsInfo* at = get(); at != nullptr && records.size() < kMaxRecords; at = at->next) {
    HostNicsInfo& copy = records.emplace_back(*at);
    copy.next = nullptr;
  }
  if (clear != nullptr) clear();
  return records;
}

bool CHostNicsLibrary::IsLoaded() const {
  std::lock_guard lock(mutex_);
  return handle_ != nullptr;
}

void CHostNicsLibrary::Unload() {
  std::lock_guard lock(mutex_);
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}
