// kestrix-tool: looks into what the agent reads and writes (reports, settings and profile
// files, text files, progress-window pictures).
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"

namespace kx::tool {

namespace {
std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}
}  // namespace

bool RegisterCommand(const Command& command) {
  Table().push_back(command);
  return true;
}

const std::vector<Command>& Commands() {
  return Table();
}

int UsageError(std::string_view message) {
  std::cerr << "kestrix-tool: " << message << "\n";
  return kExitUsage;
}

}  // namespace kx::tool

namespace {

void PrintUsage(std::ostream& out) {
  auto commands = kx::tool::Commands();
  std::sort(commands.begin(), commands.end(),
            [](const auto& a, const auto& b) { return a.usage < b.usage; });
  out << "usage:\n";
  for (const auto& c : commands)
    out << "  kestrix-tool " << c.usage << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return kx::tool::kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintUsage(std::cout);
    return kx::tool::kExitOk;
  }
  for (const auto& c : kx::tool::Commands()) {
    if (c.name == args[0]) {
      std::vector<std::string> rest(args.begin() + 1, args.end());
      return c.run(rest);
    }
  }
  return kx::tool::UsageError("unknown command '" + args[0] + "' (see kestrix-tool --help)");
}
