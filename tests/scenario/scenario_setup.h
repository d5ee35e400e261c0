// Prepares the agent's files before a scenario runs, as the configuration program would have
// left them, through the agent's own settings and profile code on a simulated desktop whose
// application data is the scenario's folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "scenario_file.h"

namespace kx::scenario {

// False, with the reason in error, for a directive it cannot carry out.
bool PrepareFiles(const std::vector<Directive>& setup, const std::filesystem::path& appData,
                  std::string* error);

// The text value of a key of an INI file below appData, read as the agent reads it; nothing
// when the file is missing.
std::optional<std::string> ReadIniText(const std::filesystem::path& appData,
                                       const std::string& file, const std::string& section,
                                       const std::string& key);

}  // namespace kx::scenario
