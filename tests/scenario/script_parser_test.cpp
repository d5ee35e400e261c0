#include "script_parser.h"

#include <gtest/gtest.h>

namespace kx::simtool {
namespace {

using Kind = ScriptCommand::Kind;

ScriptCommand Parsed(std::string_view line) {
  const ParsedLine parsed = ParseScriptLine(line);
  EXPECT_EQ(parsed.error, "") << line;
  EXPECT_TRUE(parsed.command.has_value()) << line;
  return parsed.command.value_or(ScriptCommand{});
}

std::string ErrorOf(std::string_view line) {
  const ParsedLine parsed = ParseScriptLine(line);
  EXPECT_FALSE(parsed.command.has_value()) << line;
  return parsed.error;
}

TEST(ScriptParserTest, BlankAndCommentLinesAreNoCommands) {
  for (std::string_view line : {"", "   \t", "# plug", "  # report zz"}) {
    const ParsedLine parsed = ParseScriptLine(line);
    EXPECT_FALSE(parsed.command.has_value()) << line;
    EXPECT_EQ(parsed.error, "") << line;
  }
}

TEST(ScriptParserTest, NumbersAreDecimalHexOrNegativePointerSized) {
  const ScriptCommand post = Parsed("post 0x658 -1 18446744073709551615");
  EXPECT_EQ(post.kind, Kind::kPost);
  EXPECT_EQ(post.message, 0x658u);
  EXPECT_EQ(post.wParam, ~WPARAM{0});
  EXPECT_EQ(post.lParam, LPARAM{-1});

  const ScriptCommand broadcast = Parsed("BROADCAST 0X14 -0x8000000000000000  # the lowest");
  EXPECT_EQ(broadcast.kind, Kind::kBroadcast);
  EXPECT_EQ(broadcast.wParam, 20u);
  EXPECT_EQ(static_cast<std::uint64_t>(broadcast.lParam), std::uint64_t{1} << 63);

  const ScriptCommand firmware = Parsed("firmware 0 255");
  EXPECT_EQ(firmware.major, 0);
  EXPECT_EQ(firmware.minor, 255);
  EXPECT_EQ(Parsed("wait 2500").ms, 2500u);
}

TEST(ScriptParserTest, ReportBytesAreHexWithOrWithoutPrefix) {
  const ScriptCommand report = Parsed("report 0d D6 0x7 f");
  EXPECT_EQ(report.kind, Kind::kReport);
  EXPECT_EQ(report.bytes, (std::vector<BYTE>{0x0D, 0xD6, 0x07, 0x0F}));
}

TEST(ScriptParserTest, TextsInQuotesKeepSpacesHashesAndBackslashes) {
  EXPECT_EQ(Parsed("window \"Launch # Program\"").text, "Launch # Program");
  EXPECT_EQ(Parsed("close DLGLoading").text, "DLGLoading");
  EXPECT_EQ(Parsed("foreground \"my game.exe\"").text, "my game.exe");
  const ScriptCommand registry = Parsed("registry delete \"SOFTWARE\\Kestrix\"");
  EXPECT_EQ(registry.kind, Kind::kRegistryDelete);
  EXPECT_EQ(registry.text, "SOFTWARE\\Kestrix");
  EXPECT_EQ(Parsed("registry create \"A\\B\"").kind, Kind::kRegistryCreate);
}

TEST(ScriptParserTest, MalformedLinesSayWhatIsWrong) {
  struct Case {
    std::string_view line;
    std::string_view says;
  };
  const Case cases[] = {
      {"plugg", "unknown command \"plugg\""},
      {"plug now", "\"plug\" takes nothing after it"},
      {"quit 1", "\"quit\" takes nothing after it"},
      {"firmware 1", "\"firmware\" takes two numbers from 0 to 255"},
      {"firmware 1 256", "\"firmware\" takes two numbers from 0 to 255"},
      {"firmware -1 3", "\"firmware\" takes two numbers from 0 to 255"},
      {"report", "\"report\" takes the report's bytes in hex"},
      {"report 0d 123", "\"123\" is not a byte in hex"},
      {"report 0d zz", "\"zz\" is not a byte in hex"},
      {"post 0x658 1", "\"post\" takes a message number"},
      {"post -1 0 0", "\"post\" takes a message number"},
      {"post 0x100000000 0 0", "\"post\" takes a message number"},
      {"post 1 18446744073709551616 0", "\"post\" takes a message number"},
      {"post 1 0 -0x8000000000000001", "\"post\" takes a message number"},
      {"post 1 0 12ab", "\"post\" takes a message number"},
      {"broadcast 1", "\"broadcast\" takes a code and a value"},
      {"foreground", "\"foreground\" takes an executable name"},
      {"window \"a\" \"b\"", "\"window\" takes a window title in quotes"},
      {"wait -5", "\"wait\" takes a number of milliseconds"},
      {"wait 86400001", "\"wait\" takes a number of milliseconds"},
      {"registry rename \"A\"", "\"registry\" takes create or delete"},
      {"registry delete", "\"registry\" takes create or delete"},
      {"window \"open", "has no closing quote"},
      {"window \"a\"b", "a closing quote must be followed by a space"},
      {"\"plug\"", "a line starts with a command"},
  };
  for (const Case& c : cases)
    EXPECT_NE(ErrorOf(c.line).find(c.says), std::string::npos) << c.line << ": " << ErrorOf(c.line);
}

}  // namespace
}  // namespace kx::simtool
