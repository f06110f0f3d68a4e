#pragma once
// The commands of devicectl. Each takes its own arguments (after the command
// name), writes its result to `out` and problems to `err` as one line, and
// returns the exit status: 0 success, 1 failure, 2 bad usage.

#include <ostream>
#include <string>
#include <vector>

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int RunAdaptersCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSearchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Commands to devices named by MAC; each searches for them first.
int RunSetNameCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSetIpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRebootCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunResetCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunTransparentBridgeCommand(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err);
int RunRvSyncCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSurveyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunUpgradeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
