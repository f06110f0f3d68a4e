#pragma once
// Starting the TFTP server program with the rights it needs, and finding and
// ending running programs by executable name. Only processes of the calling
// user are found and ended. Blocking calls meant for the user-interface thread;
// safe to call from a program that runs other threads (only async-signal-safe
// calls happen between fork and exec).

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Starts `program` with `parameters` (split at blanks; double quotes group)
// in the program's own folder. It starts directly when the caller is root or
// the program file holds the effective cap_net_bind_service capability,
// otherwise through pkexec. With `wait` it returns once the program has ended,
// and false when pkexec reports refused or failed authentication. False when
// the program (or pkexec) cannot be started.
bool RunProgram(const std::filesystem::path& program, std::string_view parameters, bool wait);

// The first process of the calling user (other than the caller) whose
// executable file name equals `executableName` exactly.
std::optional<pid_t> FindProcessByName(std::string_view executableName);

// Ends every process that FindProcessByName finds, one after the other: SIGTERM,
// then SIGKILL after a short wait. Stops and returns false as soon as one
// cannot be ended; true when none is left.
bool KillProcessByName(std::string_view executableName);

// Parameters as RunProgram splits them.
std::vector<std::string> SplitParameters(std::string_view parameters);

// True when the file holds cap_net_bind_service as a permitted and effective
// file capability.
bool HasBindServiceCapability(const std::filesystem::path& program);
