#pragma once
// Reading single keys of Setting.ini. The file is found beside the program (or
// in the installed share folder) unless SetSettingFile pointed elsewhere.
// Called at start-up on the user-interface thread; the file choice is guarded,
// so reading from other threads is safe too.

#include <filesystem>
#include <string>
#include <string_view>

// At most 63 characters of the value; the default when the file, the section
// or the key is missing. A key with an empty value gives "".
std::string ReadSetting(std::string_view section, std::string_view key,
                        std::string_view defaultValue);

// Reads from file from now on; an empty path goes back to the program's Setting.ini.
void SetSettingFile(const std::filesystem::path& file);
std::filesystem::path SettingFile();
