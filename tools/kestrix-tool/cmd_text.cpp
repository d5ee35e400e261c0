// kestrix-tool text decode FILE | text cat FILE: decodes a file as the agent's text reader does.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "host_file.h"
#include "text/text_file.h"

namespace kx::tool {
namespace {

int Decode(const std::string& file) {
  HostFileDesktop desktop(file);
  std::u16string text, result;
  std::uint32_t flags = 0;
  const bool ok = text::LoadTextFile(desktop.WindowsPath(), text, &result, &flags);
  char hex[16];
  std::snprintf(hex, sizeof(hex), "%x", flags);
  std::cout << "ok " << (ok ? 1 : 0) << "\n";
  std::cout << "flags 0x" << hex << "\n";
  std::cout << "result " << ToUtf8(result) << "\n";
  std::cout << "units ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::snprintf(hex, sizeof(hex), "%04x", static_cast<unsigned>(text[i]));
    std::cout << (i > 0 ? " " : "") << hex;
  }
  std::cout << "\n";
  return ok ? kExitOk : kExitFailed;
}

int Cat(const std::string& file) {
  HostFileDesktop desktop(file);
  std::u16string text, result;
  if (!text::LoadTextFile(desktop.WindowsPath(), text, &result)) {
    std::cerr << "kestrix-tool: " << ToUtf8(result) << "\n";
    return kExitFailed;
  }
  std::cout << ToUtf8(text);
  return kExitOk;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError("usage: text decode|cat FILE");
  if (args[0] == "decode") return Decode(args[1]);
  if (args[0] == "cat") return Cat(args[1]);
  return UsageError("unknown text command '" + args[0] + "' (decode or cat)");
}

}  // namespace
}  // namespace kx::tool

KX_TOOL_COMMAND(text, "text", "text decode|cat FILE   decode a text file as the agent does",
                kx::tool::Run);
