#include "util/program_paths.h"

#include <system_error>

const std::string& GetExeDirectory() {
  static const std::string directory = [] {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    std::filesystem::path folder =
        error ? std::filesystem::current_path(error) : program.parent_path();
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
  }();
  return directory;
}

std::filesystem::path FindProgramResource(const std::string& name) {
  const std::filesystem::path besideProgram = std::filesystem::path(GetExeDirectory()) / name;
  std::error_code error;
  if (std::filesystem::exists(besideProgram, error)) return besideProgram;
  const std::filesystem::path installed =
      (std::filesystem::path(GetExeDirectory()) / ".." / "share" / APP_PROGRAM_NAME / name)
          .lexically_normal();
  if (std::filesystem::exists(installed, error)) return installed;
  return besideProgram;
}

std::string GetFileVersionText() { return APP_VERSION_TEXT; }
