// The subcommands of quarnel-skm. Each writes its data to standard output and its errors to
// standard error, one line naming the file, and returns the exit status: 0 done, 1 found something
// (diff, check), 2 error.
#pragma once

#include <string>
#include <vector>

namespace skm {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFound = 1;
inline constexpr int kExitError = 2;

int RunShow(const std::string& file);
int RunNew(const std::string& output);
int RunExport(const std::string& file, const std::string& output);
int RunImport(const std::string& json, const std::string& output);
int RunDiff(const std::string& first, const std::string& second);
int RunCheck(const std::vector<std::string>& files);
int RunSchema();
// Prints a link to the page at base whose fragment carries the mission.
int RunLink(const std::string& file, const std::string& base);

} // namespace skm
