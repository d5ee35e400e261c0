// kestrix-tool xml tokens FILE | xml index FILE: the XML reader's tokens and element index of a
// file decoded as the agent decodes its language file.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "host_file.h"
#include "text/text_file.h"
#include "text/xml_document.h"

namespace kx::tool {
namespace {

int Tokens(const std::string& file) {
  HostFileDesktop desktop(file);
  std::u16string content, result;
  if (!text::LoadTextFile(desktop.WindowsPath(), content, &result)) {
    std::cerr << "kestrix-tool: " << ToUtf8(result) << "\n";
    return kExitFailed;
  }
  text::ScanCursor cursor(content, 0);
  text::MarkupToken token;
  for (;;) {
    const text::TokenKind kind = text::NextToken(cursor, token);
    std::printf("%d %d %d 0x%x", static_cast<int>(kind), token.Start, token.Length, token.Flags);
    if (!token.Name.empty()) std::printf(" %s", ToUtf8(token.Name).c_str());
    std::printf("\n");
    if (kind == text::TokenKind::EndOfText) break;
  }
  return kExitOk;
}

int Index(const std::string& file) {
  HostFileDesktop desktop(file);
  text::XmlDocument doc;
  bool wellFormed = false;
  if (text::LoadTextFile(desktop.WindowsPath(), doc.Text, &doc.Result, &doc.Flags)) {
    wellFormed = doc.IndexDocument();
  }
  std::printf("wellformed %d\n", wellFormed ? 1 : 0);
  std::printf("result %s\n", ToUtf8(doc.Result).c_str());
  for (std::int32_t i = 0; i < doc.NextFree(); ++i) {
    const text::ElementRecord& e = doc.Element(i);
    std::printf("%d %d %d %u %u %u 0x%x %d %d %d %d\n", i, e.Start, e.Length, e.StartTagLength(),
                e.EndTagLength(), e.Level(), e.FlagsLevel & ~text::LevelMask, e.Parent, e.Child,
                e.Next, e.Prev);
  }
  return kExitOk;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError("usage: xml tokens|index FILE");
  if (args[0] == "tokens") return Tokens(args[1]);
  if (args[0] == "index") return Index(args[1]);
  return UsageError("unknown xml command '" + args[0] + "' (tokens or index)");
}

}  // namespace
}  // namespace kx::tool

KX_TOOL_COMMAND(xml, "xml", "xml tokens|index FILE   the tokens or the element index of a file",
                kx::tool::Run);
