// kestrix-tool codepage NAME: the code page an encoding name stands for (-1: unknown).
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "platform/text_util.h"
#include "text/encoding_names.h"

namespace kx::tool {
namespace {

int Run(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("usage: codepage NAME");
  std::cout << text::CodePageFromName(FromUtf8(args[0])) << "\n";
  return kExitOk;
}

}  // namespace
}  // namespace kx::tool

KX_TOOL_COMMAND(codepage, "codepage", "codepage NAME   the code page of an encoding name",
                kx::tool::Run);
