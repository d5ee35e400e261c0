// kestrix-sim's command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kx::simtool {

struct Options {
  std::filesystem::path appData;      // --appdata DIR; empty: a fresh folder
  std::optional<std::string> script;  // --script FILE ("-" for standard input); none: the demo
  std::filesystem::path log;          // --log FILE
  std::filesystem::path screenshots;  // --screenshots DIR
  bool realTime = false;              // --realtime
  bool help = false;                  // --help
};

// Reads the arguments after the program name; nothing, with the reason in error, when they are
// not right.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error);

// The usage text.
std::string UsageText();

}  // namespace kx::simtool
