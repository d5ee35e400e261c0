// The subcommands of kestrix-tool. Each lives in its own cmd_*.cpp file and registers itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx::tool {

// Exit statuses shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct Command {
  std::string_view name;   // first word on the command line
  std::string_view usage;  // one line, shown by --help
  // Runs with the words after the name; returns the exit status.
  int (*run)(const std::vector<std::string>& args);
};

bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

// Prints "kestrix-tool: <message>" on standard error and returns kExitUsage.
int UsageError(std::string_view message);

}  // namespace kx::tool

#define KX_TOOL_COMMAND(id, name, usage, fn) \
  static const bool kx_tool_command_##id = ::kx::tool::RegisterCommand({name, usage, fn})
